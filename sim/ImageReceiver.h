// Watches the printer's data stream for an NVM image and checks it as it arrives.
#pragma once

#include "lvxio/Crc32.h"
#include "sim/NvmImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lvxsim {

class ImageReceiver {
public:
    // What a feed brought to an end.
    enum class Event { None, Started, Completed, Corrupt };

    // Takes the next bytes of the data stream; reports the last notable event among them.
    Event feed(const uint8_t* data, std::size_t size);
    // Drops a half-received image (the stream was interrupted).
    void reset();
    // True while an image is partly received.
    bool receiving() const { return stage_ != Stage::Hunting || matched_ > 0; }
    // Version of the image that completed or broke last.
    const NvmVersion& version() const { return version_; }

private:
    enum class Stage { Hunting, Header, Payload, Trailer };

    // Takes one byte; returns the event it caused.
    Event take(uint8_t byte);

    Stage stage_ = Stage::Hunting;
    std::size_t matched_ = 0;
    std::string header_;
    uint32_t remaining_ = 0;
    lvxio::Crc32 crc_;
    uint32_t trailer_ = 0;
    std::size_t trailerFill_ = 0;
    NvmVersion version_{};
};

} // namespace lvxsim
