#include "toolkit/TipsFile.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

#include <sys/stat.h>

namespace quorrel {

CXTTipsFile::CXTTipsFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (!name.isEmpty()) {
        m_pStream = std::fopen(name.constData(), "rb");
    }
}

CXTTipsFile::~CXTTipsFile() {
    if (m_pStream != nullptr) {
        std::fclose(m_pStream);
    }
}

bool CXTTipsFile::Seek(long nOffset) {
    return m_pStream != nullptr && std::fseek(m_pStream, nOffset, SEEK_SET) == 0;
}

long CXTTipsFile::Tell() const {
    return m_pStream != nullptr ? std::ftell(m_pStream) : -1;
}

bool CXTTipsFile::ReadLine(std::string& line) {
    line.clear();
    while (static_cast<int>(line.size()) < kMaxTipLength) {
        int c = std::getc(m_pStream);
        if (c == EOF) {
            break;
        }
        // Files written on Windows end their lines with CR LF; the CR is no part of the text.
        if (c == '\r') {
            const int next = std::getc(m_pStream);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, m_pStream);
            }
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return !line.empty();
}

bool CXTTipsFile::IsSkipped(const std::string& line) {
    const char first = line.front();
    return first == ' ' || first == '\t' || first == '\n' || first == ';';
}

CXTTipsFile::EReadResult CXTTipsFile::ReadNextTip(QString& tip) {
    if (m_pStream == nullptr) {
        return NoTips;
    }
    // Reading may start in the middle of the file: the first wrap finishes that pass, and a
    // second wrap with no tip in between means the whole file holds none.
    int nWraps = 0;
    std::string line;
    for (;;) {
        if (!ReadLine(line)) {
            std::clearerr(m_pStream);
            if (std::fseek(m_pStream, 0, SEEK_SET) != 0) {
                return SeekFailed;
            }
            if (++nWraps == 2) {
                return NoTips;
            }
            continue;
        }
        if (!IsSkipped(line)) {
            tip = QString::fromLatin1(line.data(), static_cast<int>(line.size()));
            return ReadOk;
        }
    }
}

QString CXTTipsFile::ModificationText() const {
    struct stat info {};
    if (m_pStream == nullptr || ::fstat(fileno(m_pStream), &info) != 0) {
        return QString();
    }
    return TimeStampText(info.st_mtime);
}

QString CXTTipsFile::TimeStampText(std::time_t when) {
    // Spelled out rather than through strftime: the window's toolkit switches the C library
    // to the user's locale, and the stored text must not change with the language.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Qt's own conversion to local time: the C library's reentrant one is not on every system.
    const QDateTime local = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(when));
    if (!local.isValid()) {
        return QString();
    }
    const QDate date = local.date();
    const QTime time = local.time();
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[date.dayOfWeek() % 7],
                  kMonths[(date.month() - 1) % 12], date.day(), time.hour(), time.minute(),
                  time.second(), date.year());
    return QString::fromLatin1(text);
}

}  // namespace quorrel
