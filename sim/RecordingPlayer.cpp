#include "sim/RecordingPlayer.h"

#include "lvxio/ByteText.h"
#include "lvxio/EntryPoints.h"

#include <algorithm>
#include <cstring>

namespace lvxsim {

using lvxio::RecordedCall;
using lvxio::Recording;

namespace {

// The recorded value of an entry point's output number index, or empty.
std::string outputOf(const RecordedCall& recorded, const lvxio::EntryPoint& entry,
                     std::size_t index) {
    return recorded.output(std::string(entry.outputs[index]));
}

// A number output into its own width; the parser has checked it, so a failure leaves value.
template <class T> void writeNumber(const std::string& text, T* value) {
    T parsed{};
    if (value != nullptr && lvxio::text::parseNumber(text, parsed)) {
        *value = parsed;
    }
}

// A recorded text into a buffer of size bytes, NUL-terminated when it fits.
void writeText(const std::string& quoted, char* buffer, uint32_t size) {
    std::string bytes;
    std::size_t pos = 0;
    if (buffer == nullptr || !lvxio::text::unquote(quoted, pos, bytes)) {
        return;
    }
    const std::size_t n = std::min<std::size_t>(bytes.size(), size);
    std::memcpy(buffer, bytes.data(), n);
    if (n < size) {
        buffer[n] = '\0';
    }
}

} // namespace

RecordingPlayer::RecordingPlayer(std::unique_ptr<Replayer> replayer, const SimLog& log,
                                 std::vector<std::string>& notes)
    : replayer_(std::move(replayer)), log_(log), notes_(notes) {}

uint32_t RecordingPlayer::portOpen(uint16_t portId) {
    return resultOf(answer(Recording::call(lvxio::PortOpenEntry, {std::to_string(portId)})));
}

uint32_t RecordingPlayer::portClose() {
    return resultOf(answer(Recording::call(lvxio::PortCloseEntry)));
}

uint32_t RecordingPlayer::checkDeviceId() {
    return resultOf(answer(Recording::call(lvxio::CheckDeviceIdEntry)));
}

uint32_t RecordingPlayer::getModelName(char* buffer) {
    const RecordedCall* recorded = answer(Recording::call(lvxio::GetModelNameEntry));
    if (recorded != nullptr) {
        writeText(outputOf(*recorded, lvxio::GetModelNameEntry, 0), buffer, lvx::ModelNameSize);
    }
    return resultOf(recorded);
}

uint32_t RecordingPlayer::getIoErrorCode(int16_t* detail) {
    const RecordedCall* recorded = answer(Recording::call(lvxio::GetIoErrorCodeEntry));
    if (recorded != nullptr) {
        writeNumber(outputOf(*recorded, lvxio::GetIoErrorCodeEntry, 0), detail);
    }
    return resultOf(recorded);
}

uint32_t RecordingPlayer::send(const void* data, uint32_t count, uint8_t* flag) {
    RecordedCall came = Recording::call(lvxio::SendEntry);
    came.args = Recording::sendArgs(data, count);
    const RecordedCall* recorded = answer(came);
    uint8_t value = 0;
    if (recorded != nullptr && flag != nullptr &&
        lvxio::text::parseHex8(outputOf(*recorded, lvxio::SendEntry, 0), value)) {
        *flag = value;
    }
    return resultOf(recorded);
}

// The buffer gets what the library changed in it, never more than the caller's count.
uint32_t RecordingPlayer::receive(void* buffer, uint32_t* count) {
    const uint32_t capacity = count != nullptr ? *count : 0;
    const RecordedCall* recorded =
        answer(Recording::call(lvxio::ReceiveEntry, {std::to_string(capacity)}));
    if (recorded != nullptr) {
        std::string bytes;
        if (buffer != nullptr &&
            lvxio::text::fromHex(outputOf(*recorded, lvxio::ReceiveEntry, 1), bytes)) {
            std::memcpy(buffer, bytes.data(), std::min<std::size_t>(bytes.size(), capacity));
        }
        writeNumber(outputOf(*recorded, lvxio::ReceiveEntry, 0), count);
    }
    return resultOf(recorded);
}

uint32_t RecordingPlayer::getDeviceId(char* buffer, uint32_t size) {
    const RecordedCall* recorded =
        answer(Recording::call(lvxio::GetDeviceIdEntry, {std::to_string(size)}));
    if (recorded != nullptr) {
        writeText(outputOf(*recorded, lvxio::GetDeviceIdEntry, 0), buffer, size);
    }
    return resultOf(recorded);
}

uint32_t RecordingPlayer::setPortTimeOut(uint32_t first, uint32_t second, uint32_t third,
                                         uint32_t fourth, uint32_t fifth) {
    return resultOf(answer(
        Recording::call(lvxio::SetPortTimeOutEntry,
                        {std::to_string(first), std::to_string(second), std::to_string(third),
                         std::to_string(fourth), std::to_string(fifth)})));
}

uint32_t RecordingPlayer::getPreviousSentDataSize(uint32_t* sent) {
    const RecordedCall* recorded = answer(Recording::call(lvxio::GetPreviousSentDataSizeEntry));
    if (recorded != nullptr) {
        writeNumber(outputOf(*recorded, lvxio::GetPreviousSentDataSizeEntry, 0), sent);
    }
    return resultOf(recorded);
}

uint32_t RecordingPlayer::setReceiveType(uint32_t type) {
    return resultOf(answer(Recording::call(lvxio::SetReceiveTypeEntry, {std::to_string(type)})));
}

const RecordedCall* RecordingPlayer::answer(const RecordedCall& came) {
    std::string divergence;
    const RecordedCall* recorded = replayer_->next(came, divergence);
    if (!divergence.empty()) {
        notes_.push_back(divergence);
    }
    std::string line = Recording::describe(came) + " -> ";
    if (recorded == nullptr) {
        line += lvxio::text::hex16(Replayer::DivergedCode) + " replay=diverged";
    } else {
        line += lvxio::text::hex16(static_cast<uint16_t>(recorded->result & 0xFFFF));
        for (const auto& [key, value] : recorded->outputs) {
            line += " " + key + "=" + value;
        }
        line += " replay=" + std::to_string(recorded->line);
    }
    log_.line(line);
    for (const std::string& note : notes_) {
        log_.note(note);
    }
    notes_.clear();
    return recorded;
}

uint32_t RecordingPlayer::resultOf(const RecordedCall* recorded) {
    return recorded != nullptr ? recorded->result : Replayer::DivergedCode;
}

} // namespace lvxsim
