# The command-line host that ships beside the DLL. Linked stripped and without a time
# stamp, so that the release zip is the same bytes for the same commit.
zel_windows_program(dllcall
  tools/dllcall/main.cpp
  tools/dllcall/client_call.cpp
  tools/dllcall/export_names.cpp)
target_link_options(dllcall PRIVATE -Wl,--no-insert-timestamp -s)
