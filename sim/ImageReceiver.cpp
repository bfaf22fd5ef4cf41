#include "sim/ImageReceiver.h"

namespace lvxsim {

// Takes the next bytes; the payload part is checked in bulk since it is most of the stream.
ImageReceiver::Event ImageReceiver::feed(const uint8_t* data, std::size_t size) {
    Event last = Event::None;
    std::size_t i = 0;
    while (i < size) {
        if (stage_ == Stage::Payload && remaining_ > 0) {
            const std::size_t piece = remaining_ < size - i ? remaining_ : size - i;
            crc_.update(data + i, piece);
            remaining_ -= static_cast<uint32_t>(piece);
            i += piece;
            if (remaining_ == 0) {
                stage_ = Stage::Trailer;
            }
            continue;
        }
        const Event event = take(data[i]);
        if (event != Event::None) {
            last = event;
        }
        ++i;
    }
    return last;
}

// Drops a half-received image.
void ImageReceiver::reset() {
    stage_ = Stage::Hunting;
    matched_ = 0;
    header_.clear();
    remaining_ = 0;
    crc_.reset();
    trailer_ = 0;
    trailerFill_ = 0;
}

// One byte through the stages; the magic's first byte occurs only once in it, so a simple
// restart on mismatch finds every occurrence.
ImageReceiver::Event ImageReceiver::take(uint8_t byte) {
    const auto c = static_cast<char>(byte);
    switch (stage_) {
    case Stage::Hunting:
        if (c == NvmImage::Magic[matched_]) {
            ++matched_;
        } else {
            matched_ = c == NvmImage::Magic[0] ? 1 : 0;
        }
        if (matched_ == NvmImage::Magic.size()) {
            matched_ = 0;
            header_.assign(NvmImage::Magic);
            stage_ = Stage::Header;
        }
        return Event::None;
    case Stage::Header:
        header_ += c;
        if (header_.size() < NvmImage::HeaderSize) {
            return Event::None;
        }
        remaining_ = 0;
        for (int k = 3; k >= 0; --k) {
            remaining_ = remaining_ << 8 | static_cast<uint8_t>(header_[12 + k]);
        }
        version_ = {static_cast<uint8_t>(header_[8]), static_cast<uint8_t>(header_[9]),
                    static_cast<uint8_t>(header_[10])};
        if (remaining_ > NvmImage::MaxPayload || header_[11] != '\0') {
            reset();
            return Event::None;
        }
        crc_.reset();
        crc_.update(header_.data(), header_.size());
        stage_ = remaining_ > 0 ? Stage::Payload : Stage::Trailer;
        trailer_ = 0;
        trailerFill_ = 0;
        return Event::Started;
    case Stage::Payload:
        crc_.update(&byte, 1);
        if (--remaining_ == 0) {
            stage_ = Stage::Trailer;
        }
        return Event::None;
    case Stage::Trailer: {
        trailer_ |= static_cast<uint32_t>(byte) << (8 * trailerFill_);
        if (++trailerFill_ < NvmImage::TrailerSize) {
            return Event::None;
        }
        const bool intact = trailer_ == crc_.value();
        reset();
        return intact ? Event::Completed : Event::Corrupt;
    }
    }
    return Event::None;
}

} // namespace lvxsim
