// A growable block of raw memory from the process heap, freed when it goes out of scope.
// The DLL has no C runtime, so this is how it holds data of a size it learns at run time.
#pragma once

#include <cstddef>

namespace zel::platform {

void* AllocateMemory(std::size_t size);
void FreeMemory(void* block);

class HeapBuffer {
public:
    HeapBuffer() = default;
    ~HeapBuffer() { FreeMemory(data_); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    // Replaces the block with one of at least size bytes; false if none could be had.
    bool allocate(std::size_t size) {
        FreeMemory(data_);
        data_ = AllocateMemory(size);
        return data_ != nullptr;
    }
    void* data() const { return data_; }

private:
    void* data_ = nullptr;
};

}  // namespace zel::platform
