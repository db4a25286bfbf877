// The X side of the clipboard, through xclip run from a Windows process:
// what a Linux program pastes. A Unix program started from a Windows
// process runs on its own, so each run writes its result into a file under
// the driver's folder and renames it when done.
#pragma once

#include <string>

#include "tests/e2e/driver_util.h"

namespace e2e {

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh file name for the next run's result, under the driver's folder;
// a file of that name from an earlier run of the driver is removed.
inline std::string NextResultPath(const Driver& driver) {
    static int runs = 0;
    std::string path = driver.work_dir + "/run" + std::to_string(++runs);
    DeleteFileA(path.c_str());
    return path;
}

inline bool ReadWholeFile(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes->append(buffer, read);
    }
    CloseHandle(file);
    return true;
}

// Runs `script` with /bin/sh; it is done once `done_path` exists.
inline bool RunShell(const std::string& script, const std::string& done_path) {
    PROCESS_INFORMATION process = {};
    if (!StartProcess(nullptr, "/bin/sh -c \"" + script + "\"", &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return WaitUntil([&] { return FileExists(done_path); }, kChangeTimeoutMs);
}

// What a Linux program gets when it pastes the clipboard.
inline bool PasteInLinux(const Driver& driver, std::string* pasted) {
    const std::string result = NextResultPath(driver);
    const std::string script = "timeout 10 xclip -o -selection clipboard > '" + result +
                               ".part' 2>/dev/null; mv '" + result + ".part' '" + result + "'";
    return RunShell(script, result) && ReadWholeFile(result, pasted);
}

// Wine hands the X side the new contents a moment after the change, so
// the paste is tried again until it gives the text or the time is up.
inline bool ExpectPastedInLinux(const Driver& driver, const std::string& expected) {
    std::string pasted;
    WaitUntil([&] { return PasteInLinux(driver, &pasted) && pasted == expected; },
              kChangeTimeoutMs);
    return ExpectEqual("the text pasted in Linux", pasted, expected);
}

}  // namespace e2e
