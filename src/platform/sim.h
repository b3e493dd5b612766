// The simulated desktop behind the native build: player windows, the registry and
// process creation live in this process, so unit tests can set them up and see exactly
// what the library did. Files are real files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zel::sim {

struct Message {
    int window;  // index of the simulated window that received it
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Answers a request message (lParam: code, wParam: argument).
using RequestHandler = std::function<std::int32_t(std::int32_t code, std::int32_t argument)>;

// Adds a top-level window; the first added is the one a class lookup finds first.
// Returns its index.
int AddWindow(const std::string& className, const std::string& caption = "",
              RequestHandler onRequest = nullptr);
void RemoveAllWindows();

const std::vector<Message>& Messages();
void ClearMessages();

void SetRegistryValue(const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& bytes);
void RemoveRegistryKey(const std::string& key);
// Access rights asked for by every key open, in order.
const std::vector<std::uint32_t>& KeyOpenRights();

struct StartedProcess {
    std::string applicationName;
    std::string commandLine;
};
const std::vector<StartedProcess>& StartedProcesses();

// Handles and memory blocks the library holds right now; 0 after every command.
int OpenFiles();
int OpenKeys();
int HeapBlocks();
// Sharing asked for by every file open, in order (true: writing shared too).
const std::vector<bool>& FileOpenShareWrite();

// Back to an empty desktop: no windows, registry, processes or records.
void Reset();

}  // namespace zel::sim
