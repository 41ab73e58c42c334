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
#include "media/media.h"

namespace fs = std::filesystem;

namespace {

extern "C" void timeLimitReached(int) {
    const char message[] = "\n*** a test case ran past its hard time limit: it hangs ***\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(124);
}

// MD5 (RFC 1321), enough for the standard security handler's keys.
std::array<std::uint8_t, 16> md5(const std::string& message) {
    static const std::uint32_t k[64] = {
        0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
        0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
        0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
        0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
        0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
        0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
        0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
        0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
    static const int r[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                              5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                              4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                              6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
    std::string data = message;
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    data.push_back(static_cast<char>(0x80));
    while (data.size() % 64 != 56) data.push_back('\0');
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<char>((bits >> (8 * i)) & 0xff));
    std::uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) {
            w[i] = 0;
            for (int b = 0; b < 4; ++b)
                w[i] |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[block + 4 * i + b]))
                        << (8 * b);
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        for (int i = 0; i < 64; ++i) {
            std::uint32_t f;
            int g;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            const std::uint32_t next = d;
            d = c;
            c = b;
            const std::uint32_t sum = a + f + k[i] + w[g];
            b = b + ((sum << r[i]) | (sum >> (32 - r[i])));
            a = next;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
    }
    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<std::uint8_t>((h[i / 4] >> (8 * (i % 4))) & 0xff);
    return digest;
}

std::string rc4(const std::string& key, const std::string& input) {
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 255;
        std::swap(s[i], s[j]);
    }
    std::string output(input.size(), '\0');
    for (std::size_t n = 0, i = 0, j = 0; n < input.size(); ++n) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        output[n] = static_cast<char>(static_cast<unsigned char>(input[n]) ^ s[(s[i] + s[j]) & 255]);
    }
    return output;
}

std::string hex(const std::string& bytes) {
    std::string text;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        text += pair;
    }
    return text;
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

std::string handWrittenPdf(const std::vector<std::string>& bodies, const std::string& trailerExtra) {
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + bodies[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf +=
        "trailer\n<< /Size " + std::to_string(bodies.size() + 1) + " /Root 1 0 R " + trailerExtra + " >>\n";
    return pdf + "startxref\n" + std::to_string(xref) + "\n%%EOF\n";
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
