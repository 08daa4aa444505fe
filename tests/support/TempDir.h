#pragma once
// A fresh folder for one test, removed afterwards; optionally the current directory while
// the test runs.

#include <string>
#include <vector>

namespace fv::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Makes this folder the current directory until the TempDir goes away.
    void enter();
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string writeText(const std::string& name, const std::string& text) const;
    std::vector<uint8_t> read(const std::string& name) const;
    std::string readText(const std::string& name) const;
    // Names of the entries, sorted.
    std::vector<std::string> entries() const;

private:
    std::string path_;
    std::string previousDir_;
};

}  // namespace fv::test
