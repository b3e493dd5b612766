// Scoped owners for the operating-system handles the library opens, so that every
// file and registry key is closed on every path out of a command.
#pragma once

#include "platform/platform.h"

namespace zel::platform {

class ScopedFile {
public:
    explicit ScopedFile(FileHandle file) : file_(file) {}
    ~ScopedFile() {
        if (file_ != nullptr) CloseFile(file_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    FileHandle get() const { return file_; }
    explicit operator bool() const { return file_ != nullptr; }

private:
    FileHandle file_;
};

class ScopedProcess {
public:
    explicit ScopedProcess(ProcessHandle process) : process_(process) {}
    ~ScopedProcess() {
        if (process_ != nullptr) CloseProcess(process_);
    }
    ScopedProcess(const ScopedProcess&) = delete;
    ScopedProcess& operator=(const ScopedProcess&) = delete;

    ProcessHandle get() const { return process_; }
    explicit operator bool() const { return process_ != nullptr; }

private:
    ProcessHandle process_;
};

class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key_ != nullptr) CloseRegistryKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    RegistryKey* out() { return &key_; }
    RegistryKey get() const { return key_; }

private:
    RegistryKey key_ = nullptr;
};

}  // namespace zel::platform
