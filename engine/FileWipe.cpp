// Shredding one file: overwrite passes, truncation, random name, deletion.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "WipeEngine.h"
#include "WipeMethod.h"

namespace quorrel {

namespace {

// Letters a random name is drawn from: "a" and the 19 that follow it.
constexpr int kNameLetters = 20;

// `name` placed in the folder of `path`: a path without a folder part stays in the folder it
// is relative to.
std::string SiblingPath(const std::string& path, const std::string& name) {
    if (path.find('/') == std::string::npos) {
        return name;
    }
    return JoinPath(ParentFolder(path), name);
}

std::string Quote(const std::string& prefix, const std::string& path, const CFileError& error) {
    return prefix + path + ": " + error.GetErrorMessage();
}

}  // namespace

CWipeEngine::CWipeEngine(IFileSystem& fileSystem, IRunHost& host)
    : m_fs(fileSystem), m_host(host), m_clock([] { return std::int64_t{std::time(nullptr)}; }) {}

void CWipeEngine::Fail(const std::string& line) {
    ++m_nFailures;
    m_host.AddLine(line);
}

bool CWipeEngine::WipeFile(const std::string& path, bool bRecycleBin) {
    if (!bRecycleBin) {
        bool bPlainFile = true;
        if (!PrepareNormalMode(path, bPlainFile)) {
            return false;
        }
        if (!bPlainFile) {
            return RenameAndDelete(path);
        }
    } else {
        CFileStatus status;
        CFileError ignored;
        if (m_fs.GetStatus(path, status, ignored) && !IsPlainFile(status.m_attributes)) {
            return true;  // a link or special file in a bin has nothing to overwrite
        }
    }
    CFileError error;
    std::unique_ptr<IFileHandle> file = m_fs.OpenForWrite(path, error);
    if (!file) {
        Fail(Quote("* Error opening file ", path, error));
        return false;
    }
    std::int64_t nLength = 0;
    if (!file->GetLength(nLength, error)) {
        Fail(Quote("* Error seeking the file ", path, error));
        return false;
    }
    if (!OverwriteFile(*file, path, nLength)) {
        return false;
    }
    return FinishFile(std::move(file), path, nLength, bRecycleBin);
}

// Step one of normal mode: clear the read-only bit (keeping the rest of the status) and
// announce the file. `bPlainFile` tells whether the entry holds data of its own.
bool CWipeEngine::PrepareNormalMode(const std::string& path, bool& bPlainFile) {
    CFileStatus status;
    CFileError error;
    bool bOk = m_fs.GetStatus(path, status, error);
    if (bOk) {
        bPlainFile = IsPlainFile(status.m_attributes);
        status.m_attributes &= ~kAttrReadOnly;
        bOk = !bPlainFile || m_fs.SetStatus(path, status, error);
    }
    if (!bOk) {
        Fail(Quote("* Error seting file attribute on file ", path, error));
        return false;
    }
    m_host.AddLine("Wipeing file " + path);
    return true;
}

// Moves the entry to a random name in its own folder and deletes it there. Links and special
// files come here straight from step one: never opened, their targets never touched.
bool CWipeEngine::RenameAndDelete(const std::string& path) {
    CFileError error;
    const std::string target = SiblingPath(path, RandomName());
    if (!m_fs.Rename(path, target, error) || !m_fs.Delete(target, error)) {
        Fail(Quote("* Error deleteing the file ", path, error));
        return false;
    }
    m_host.AddLine("File " + path + " successfuly deleted ");
    m_host.SetProgressPos(0);
    return true;
}

// Writes every pass of the current method over the first `nLength` bytes, each pass flushed
// to the medium before the next begins. Stops early, with true, when the user aborts.
bool CWipeEngine::OverwriteFile(IFileHandle& file, const std::string& path, std::int64_t nLength) {
    const int nPasses = WipePassCount(m_nWipeMethod);
    if (m_nWipeMethod == kWipeMethodRandom) {
        m_random.Seed(static_cast<std::uint32_t>(m_clock()));
    }
    CFileError error;
    for (int nPass = 0; nPass < nPasses && !m_host.IsAborted(); ++nPass) {
        if (!file.SeekToBegin(error)) {
            Fail(Quote("* Error seeking the file ", path, error));
            return false;
        }
        m_host.OnPassStart(path, nPass, nPasses);
        m_host.SetProgressRange(nLength);
        m_host.SetProgressPos(0);
        if (!WritePass(file, nLength, nPass, error)) {
            Fail(Quote("* Error writing to file ", path, error));
            return false;
        }
    }
    return true;
}

// One pass: chunks of the pass pattern, an abort check before and a progress step after each
// chunk, a flush every slice and one at the end.
bool CWipeEngine::WritePass(IFileHandle& file, std::int64_t nLength, int nPass,
                            CFileError& error) {
    const std::uint8_t nByte = WipePassByte(m_nWipeMethod, nPass);
    std::vector<std::uint8_t> chunk;
    std::int64_t nDone = 0;
    std::int64_t nSinceFlush = 0;
    while (nDone < nLength && !m_host.IsAborted()) {
        const std::size_t nBytes = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunkBytes), nLength - nDone));
        FillChunk(chunk, nBytes, nByte);
        if (!file.Write(chunk.data(), nBytes, error)) {
            return false;
        }
        nDone += static_cast<std::int64_t>(nBytes);
        nSinceFlush += static_cast<std::int64_t>(nBytes);
        m_host.StepProgress(static_cast<std::int64_t>(nBytes));
        if (nSinceFlush >= kFlushSliceBytes && nDone < nLength) {
            if (!file.Flush(error)) {
                return false;
            }
            nSinceFlush = 0;
        }
    }
    return file.Flush(error);
}

// Fills the first `nBytes` of `chunk`: one draw per byte, in order, under the random method
// (read afresh for every chunk, as the method is read before every byte); the pass byte
// otherwise, written only when the chunk does not hold it already.
void CWipeEngine::FillChunk(std::vector<std::uint8_t>& chunk, std::size_t nBytes,
                            std::uint8_t nByte) {
    if (m_nWipeMethod == kWipeMethodRandom) {
        chunk.resize(std::max(chunk.size(), nBytes));
        m_random.FillLowBytes(chunk.data(), nBytes);
        return;
    }
    if (chunk.size() < nBytes || chunk.front() != nByte || chunk.back() != nByte) {
        chunk.assign(std::max(chunk.size(), nBytes), nByte);
    }
}

// Truncation (normal mode, flushed), close, the last abort check, then the random name and the
// deletion, with the outcome's line.
bool CWipeEngine::FinishFile(std::unique_ptr<IFileHandle> file, const std::string& path,
                             std::int64_t nLength, bool bRecycleBin) {
    CFileError error;
    bool bOk = bRecycleBin || (TruncateInSteps(*file, nLength, error) && file->Flush(error));
    if (!bOk) {
        error.m_strFileName = kUnnamedFile;  // part of the truncation, which names no file
    }
    bOk = bOk && file->Close(error);
    if (!bOk) {
        Fail(Quote("* Error closeing the file ", path, error));
        return false;
    }
    if (m_host.IsAborted()) {
        Fail("* Process is aborted deleteing file " + path +
             ". This file is probably corupt now and cant be used normaly.");
        m_host.SetProgressPos(0);
        return false;
    }
    if (bRecycleBin) {
        m_host.AddLine("File " + path + " successfuly shreded frm recykle bin ");
        m_host.SetProgressPos(0);
        return true;
    }
    return RenameAndDelete(path);
}

// Cuts the file to length 0 from its end, a step at a time, letting the window breathe between
// steps. The truncation is not cut short by Cancel: an aborted file is left empty too.
bool CWipeEngine::TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error) {
    std::int64_t nLeft = nLength;
    do {
        nLeft = nLeft > kTruncateStepBytes ? nLeft - kTruncateStepBytes : 0;
        if (!file.Truncate(nLeft, error)) {
            return false;
        }
        if (nLeft > 0) {
            m_host.KeepAlive();
        }
    } while (nLeft > 0);
    return true;
}

// Eight letters, a period, three letters; each letter "a" + draw % 20.
std::string CWipeEngine::RandomName() {
    std::string name(12, '.');
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i != 8) {
            name[i] = static_cast<char>('a' + m_random.Draw() % kNameLetters);
        }
    }
    return name;
}

}  // namespace quorrel
