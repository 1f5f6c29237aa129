#pragma once
// A scratch folder per benchmark run, named after the program and its process id so that
// runs side by side do not share files; the caller removes it at the end.
#include <unistd.h>

#include <filesystem>
#include <string>

namespace qdmbench {

inline std::filesystem::path ScratchDir(const std::string& prefix) {
    std::filesystem::path d =
        std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
}

}  // namespace qdmbench
