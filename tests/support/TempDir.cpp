#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace fv::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "fibrovue-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    if (!previousDir_.empty() && ::chdir(previousDir_.c_str()) != 0) {
        // nothing sensible to do in a destructor
    }
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempDir::enter() {
    if (previousDir_.empty()) previousDir_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

std::string TempDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return p;
}

std::string TempDir::writeText(const std::string& name, const std::string& text) const {
    return write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> TempDir::read(const std::string& name) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempDir::readText(const std::string& name) const {
    auto b = read(name);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace fv::test
