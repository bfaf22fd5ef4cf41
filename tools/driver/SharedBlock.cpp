#include "SharedBlock.h"

namespace guitest {

// Page-file backed; a new mapping starts zeroed, which reads as "no request".
SharedBlock::SharedBlock(const std::string& name, bool create)
    : mapping_(create ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           sizeof(probe::Block), name.c_str())
                      : OpenFileMappingA(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, name.c_str())) {
    if (mapping_) {
        block_ = static_cast<probe::Block*>(MapViewOfFile(
            mapping_.Get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(probe::Block)));
    }
}

// The view goes before the mapping handle (member order closes the handle after).
SharedBlock::~SharedBlock() {
    if (block_ != nullptr) {
        UnmapViewOfFile(block_);
    }
}

} // namespace guitest
