// The tips file of the tip of the day: a plain text file read one tip at a time, round and
// round, with the reading position kept across runs by the caller.
#pragma once

#include <QString>

#include <cstdio>
#include <ctime>
#include <string>

namespace quorrel {

// A tips file open for reading. Each line is a candidate tip; a line whose first character is
// a blank, a tab, a line feed (an empty line) or ";" (a comment) is skipped. A carriage return
// right before a line feed is dropped, and every byte is taken as the character of the same
// code. A line longer than kMaxTipLength is read in pieces of kMaxTipLength characters, each
// piece a line of its own. The line feed that ends a line stays in the tip.
class CXTTipsFile {
public:
    enum EReadResult {
        ReadOk,      // the next tip was read
        SeekFailed,  // going back to the beginning failed; nothing was read
        NoTips,      // a whole pass over the file found no tip line
    };

    static constexpr int kMaxTipLength = 999;

    // Opens `path` for reading; IsOpen() says whether it could be.
    explicit CXTTipsFile(const QString& path);
    ~CXTTipsFile();
    CXTTipsFile(const CXTTipsFile&) = delete;
    CXTTipsFile& operator=(const CXTTipsFile&) = delete;

    bool IsOpen() const { return m_pStream != nullptr; }
    // Moves the reading position to byte `nOffset` from the beginning; false when the seek
    // fails (a negative offset). An offset beyond the end succeeds: the next read wraps.
    bool Seek(long nOffset);
    // The reading position, in bytes from the beginning; -1 when the file is not open.
    long Tell() const;
    // Reads the tip after the reading position into `tip`, going back to the beginning at the
    // end of the file. Never loops for ever: a file with no tip line gives NoTips after one
    // full pass, and a failed return to the beginning gives SeekFailed at once.
    EReadResult ReadNextTip(QString& tip);
    // The file's last-modification time as TimeStampText gives it; empty when it is unknown.
    QString ModificationText() const;

    // `when` in local time in the C library's ctime form without its line end, with English
    // names whatever the locale, as "Thu Jan 02 10:20:30 2003".
    static QString TimeStampText(std::time_t when);

private:
    // Reads one line of at most kMaxTipLength characters into `line` (its line feed
    // included when it fits); false at the end of the file with nothing read.
    bool ReadLine(std::string& line);
    // Whether `line` is skipped: it begins with a blank, a tab, a line feed or ";".
    static bool IsSkipped(const std::string& line);

    std::FILE* m_pStream = nullptr;
};

}  // namespace quorrel
