// A named shared memory block holding one probe::Block, mapped for the life of the owner.
#pragma once

#include "ProbeProtocol.h"
#include "fw/UniqueHandle.h"

#include <string>

namespace guitest {

class SharedBlock {
public:
    // Creates (or, with create false, opens) the named block; check valid() afterwards.
    SharedBlock(const std::string& name, bool create);
    // Unmaps the view; the handle closes itself.
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // True when the block is mapped.
    bool valid() const { return block_ != nullptr; }
    // The mapped block; only while valid().
    probe::Block& block() const { return *block_; }

private:
    fw::UniqueHandle mapping_;
    probe::Block* block_ = nullptr;
};

} // namespace guitest
