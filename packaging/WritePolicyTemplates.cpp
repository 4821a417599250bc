// Writes the administrative templates into a folder at build time, natively,
// from the same platform-free code as kmxlogcfg admx:
//   write_policy_templates DIR   ->  DIR/KMXLogCtl.admx, DIR/en-US/KMXLogCtl.adml
#include <filesystem>
#include <fstream>
#include <iostream>
#include <cwchar>
#include <string>

#include "formats/PolicyTemplates.h"

namespace {

bool WriteWhole(const std::filesystem::path& path, const std::string& bytes) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

std::string Narrow(const wchar_t* text) { return std::string(text, text + std::wcslen(text)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write_policy_templates DIR\n";
        return 1;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir / Narrow(kmx::kAdmlFolderName), error);
    if (error ||
        !WriteWhole(dir / Narrow(kmx::kAdmlFolderName) / Narrow(kmx::kAdmlFileName),
                    kmx::PolicyResourcesXml()) ||
        !WriteWhole(dir / Narrow(kmx::kAdmxFileName), kmx::PolicyDefinitionsXml())) {
        std::cerr << "write_policy_templates: cannot write into " << dir << "\n";
        return 1;
    }
    return 0;
}
