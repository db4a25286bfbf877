// The X side of the clipboard: what a Linux program pastes, through xclip
// run from a Windows process.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/driver_util.h"

namespace e2e {

// A fresh file name for the next run's result, in the driver's folder (made
// if need be); a file of that name from an earlier run of the driver is removed.
inline std::string NextResultPath(const Driver& driver) {
    static int runs = 0;
    CreateDirectoryA(driver.work_dir.c_str(), nullptr);
    std::string path = driver.work_dir + "/run" + std::to_string(++runs);
    DeleteFileA(path.c_str());
    return path;
}

// Runs `script` with /bin/sh. A Unix program started from a Windows process
// runs on its own, so the script makes `done_path` when it is done.
inline bool RunShell(const std::string& script, const std::string& done_path) {
    PROCESS_INFORMATION process = {};
    if (!StartProcess(nullptr, "/bin/sh -c \"" + script + "\"", &process)) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    auto done = [&] { return GetFileAttributesA(done_path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    return WaitUntil(done, kChangeTimeoutMs);
}

// A Linux program pastes `expected`: xclip's output, renamed to the result
// once complete. Wine hands the X side the new contents a moment after the
// change, so the paste is tried again until it gives the text or the time is up.
inline bool ExpectPastedInLinux(const Driver& driver, const std::string& expected) {
    std::string pasted;
    auto paste = [&] {
        const std::string result = NextResultPath(driver), part = "'" + result + ".part'";
        const std::string script = "timeout 10 xclip -o -selection clipboard > " + part +
                                   " 2>/dev/null; mv " + part + " '" + result + "'";
        std::ifstream file;
        if (RunShell(script, result)) file.open(result, std::ios::binary);
        pasted.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        return pasted == expected;
    };
    WaitUntil(paste, kChangeTimeoutMs);
    return ExpectEqual("the text pasted in Linux", pasted, expected);
}

}  // namespace e2e
