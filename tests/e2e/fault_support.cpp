// Helpers for the fault tests.
#include "tests/e2e/fault_support.h"

#include <sys/mount.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/conversion.h"
#include "media/system/system.h"

namespace fs = std::filesystem;

namespace {

extern "C" void timeLimitReached(int) {
    const char message[] = "\n*** a test case ran past its hard time limit: it hangs ***\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(124);
}

const unsigned char passwordPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                           0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                           0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

std::string helloPageObjects(const std::string& mediaBox, std::vector<std::string>& bodies,
                             const std::string& content) {
    bodies = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
              "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox +
                  " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
              "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
              "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    return content;
}

const std::string helloText = "BT /F1 24 Tf 20 20 Td (Hello) Tj ET";

}  // namespace

HardTimeLimit::HardTimeLimit(unsigned seconds) {
    std::signal(SIGALRM, timeLimitReached);
    ::alarm(seconds);
}

HardTimeLimit::~HardTimeLimit() {
    ::alarm(0);
}

std::string onePagePdf(const std::string& mediaBox) {
    std::vector<std::string> bodies;
    helloPageObjects(mediaBox, bodies, helloText);
    return handWrittenPdf(bodies);
}

std::string pagelessPdf() {
    return handWrittenPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"});
}

// The /U entry is not the one the empty password yields, so opening needs the (unknown) password.
std::string userPasswordPdf() {
    const std::string encrypt = "<< /Filter /Standard /V 1 /R 2 /Length 40 /P -44 /O <" +
                                std::string(64, 'A') + "> /U <" + std::string(64, '5') + "> >>";
    return handWrittenPdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>", encrypt},
        "/Encrypt 4 0 R /ID [<0123456789ABCDEF0123456789ABCDEF><0123456789ABCDEF0123456789ABCDEF>]");
}

// The standard security handler, revision 2 (RC4, 40-bit): /U is what the empty user password gives,
// /O belongs to an owner password nobody knows; the content stream is encrypted with the object key.
std::string ownerPasswordOnlyPdf() {
    const std::string padding(reinterpret_cast<const char*>(passwordPadding), sizeof passwordPadding);
    const std::string owner(32, '\x5A');
    const std::string id = "\x01\x23\x45\x67\x89\xAB\xCD\xEF\x01\x23\x45\x67\x89\xAB\xCD\xEF";
    const std::string permissions = "\xD4\xFF\xFF\xFF";  // /P -44, low byte first
    const auto digest = md5(padding + owner + permissions + id);
    const std::string key(reinterpret_cast<const char*>(digest.data()), 5);
    const std::string user = rc4(key, padding);
    const auto objectDigest = md5(key + std::string("\x04\x00\x00\x00\x00", 5));  // object 4, generation 0
    const std::string objectKey(reinterpret_cast<const char*>(objectDigest.data()), 10);
    std::vector<std::string> bodies;
    helloPageObjects("[0 0 612 792]", bodies, rc4(objectKey, helloText));
    bodies.push_back("<< /Filter /Standard /V 1 /R 2 /Length 40 /P -44 /O <" + hex(owner) + "> /U <" +
                     hex(user) + "> >>");
    return handWrittenPdf(bodies, "/Encrypt 6 0 R /ID [<" + hex(id) + "><" + hex(id) + ">]");
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TestMount::TestMount(const std::string& folder, const std::string& size) : folder_(folder) {
    const std::string options = "size=" + size + ",mode=0755";
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

TestMount::~TestMount() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool TestMount::makeReadOnly() {
    return mounted_ && ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

std::string whyNoMounts() {
    if (::geteuid() != 0) return "mounting a test file system needs root";
    const std::string probe = media::temporaryFolder() + "pagewell-mount-probe-" + std::to_string(::getpid());
    fs::create_directories(probe);
    std::string reason;
    if (::mount("tmpfs", probe.c_str(), "tmpfs", 0, "size=64k") == 0) {
        ::umount2(probe.c_str(), MNT_DETACH);
    } else {
        reason = std::string("mount refused: ") + std::strerror(errno);
    }
    std::error_code ignored;
    fs::remove(probe, ignored);
    return reason;
}

bool permissionsApply() {
    return ::geteuid() != 0;
}
