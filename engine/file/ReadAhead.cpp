// The read-back of a file in pieces, the next piece read while this one is compared.
#include "engine/file/ReadAhead.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace quorrel {

namespace {

// `ranges` cut into pieces of at most CReadAhead::kPieceBytes, in order.
std::vector<CDataRange> PiecesOf(const std::vector<CDataRange>& ranges) {
    std::vector<CDataRange> pieces;
    for (const CDataRange& range : ranges) {
        for (std::int64_t nDone = 0; nDone < range.m_nLength;) {
            const std::int64_t nBytes = std::min<std::int64_t>(
                range.m_nLength - nDone, static_cast<std::int64_t>(CReadAhead::kPieceBytes));
            pieces.push_back(CDataRange{range.m_nStart + nDone, nBytes});
            nDone += nBytes;
        }
    }
    return pieces;
}

}  // namespace

void CReadAhead::CBuffer::CFree::operator()(std::uint8_t* p) const {
    ::operator delete[](p, std::align_val_t(kAlignBytes));
}

CReadAhead::CReadAhead(IFileHandle& file, const std::vector<CDataRange>& ranges)
    : m_file(file), m_pieces(PiecesOf(ranges)) {}

CReadAhead::~CReadAhead() {
    if (!m_reader.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_bStop = true;
    }
    m_changed.notify_all();
    m_reader.join();
}

bool CReadAhead::Next(CDataRange& piece, const std::uint8_t*& pBytes, CFileError& error) {
    const std::size_t nPiece = m_nAsked;
    if (nPiece >= m_pieces.size()) {
        return false;
    }
    if (nPiece == 0 && m_pieces.size() > 1) {
        StartReader();
    }
    if (m_reader.joinable()) {
        std::unique_lock<std::mutex> lock(m_lock);
        ++m_nAsked;  // the buffer of the piece before is free again
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_nRead > nPiece; });
    } else {
        ++m_nAsked;
        ReadInto(nPiece);
    }
    const CBuffer& buffer = BufferOf(nPiece);
    if (!buffer.bRead) {
        error = buffer.error;
        std::lock_guard<std::mutex> guard(m_lock);
        m_nAsked = m_pieces.size();  // nothing after a failed read is given
        return false;
    }
    piece = m_pieces[nPiece];
    pBytes = buffer.data.get();
    return true;
}

// Reads piece `nPiece` into its buffer, made large enough first. While the reader runs, only
// it touches the file and the buffer being read into.
void CReadAhead::ReadInto(std::size_t nPiece) {
    const CDataRange& piece = m_pieces[nPiece];
    const auto nBytes = static_cast<std::size_t>(piece.m_nLength);
    CBuffer& buffer = BufferOf(nPiece);
    buffer.error = CFileError{};
    if (buffer.nCapacity < nBytes) {
        buffer.data.reset(static_cast<std::uint8_t*>(
            ::operator new[](nBytes, std::align_val_t(kAlignBytes), std::nothrow)));
        buffer.nCapacity = buffer.data ? nBytes : 0;
    }
    if (!buffer.data) {
        buffer.error.m_nCause = kCauseGeneric;
        buffer.bRead = false;
        return;
    }
    buffer.bRead = m_file.ReadBack(piece.m_nStart, buffer.data.get(), nBytes, buffer.error);
}

void CReadAhead::StartReader() {
    try {
        m_reader = std::thread([this] { Reader(); });
    } catch (const std::system_error&) {
        // No thread to be had: each piece is read when it is asked for.
    }
}

// The reading thread: every piece in order, each as soon as its buffer is free (piece k goes
// where piece k - 2 was, which the caller is done with once it asked for piece k - 1); it
// stops after a failed read, or when told to.
void CReadAhead::Reader() {
    for (std::size_t nPiece = 0; nPiece < m_pieces.size(); ++nPiece) {
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait(lock, [&] { return m_bStop || nPiece <= m_nAsked; });
            if (m_bStop) {
                return;
            }
        }
        ReadInto(nPiece);
        const bool bRead = BufferOf(nPiece).bRead;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_nRead = nPiece + 1;
        }
        m_changed.notify_all();
        if (!bRead) {
            return;
        }
    }
}

}  // namespace quorrel
