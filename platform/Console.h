// The console a terminal program talks to: its arguments, whether its streams are a console,
// how text reaches one, and Ctrl-C.
#pragma once

#include <string>
#include <vector>

namespace quorrel {

enum class EConsoleStream { Input, Output, Error };

// The program's arguments after its own path, as UTF-8 (on Windows read from the wide command
// line, so that any file name arrives whole, whatever the code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// True when `stream` is an interactive console or terminal.
bool IsConsole(EConsoleStream stream);

// Writes the UTF-8 `text` to the output or error stream: shown correctly on a console,
// byte for byte (UTF-8) when redirected. False when not all of it reached the stream (a full
// disk, a closed pipe or stream), with the system's reason in `pReason` when given.
bool WriteConsoleText(EConsoleStream stream, const std::string& text,
                      std::string* pReason = nullptr);

// Makes the error stream understand the cursor controls the progress bar uses ("\r", erase to
// the end of the line). False when it cannot: then no bar is drawn.
bool EnableConsoleControls();

// From now on Ctrl-C (and Ctrl-Break, closing the console, SIGTERM, SIGHUP) sets the flag that
// WasInterrupted() reports instead of ending the process; a closed output pipe does not end
// it either.
void CatchInterrupts();

// True once an interrupt was caught.
bool WasInterrupted();

}  // namespace quorrel
