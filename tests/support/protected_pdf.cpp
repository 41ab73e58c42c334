// PDF documents written by hand for tests, and locked ones: the standard security handler's RC4
// (revision 3) and AES-256 (revision 6), with the hashes and the cipher they are built from.
#include "tests/support/protected_pdf.h"

#include <cstdio>

namespace {

// ---------------------------------------------------------------------------------------------
// SHA-2 (FIPS 180-4): SHA-256, SHA-384 and SHA-512 share one compression, by word size.

const std::uint32_t sha256Rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};
const std::uint64_t sha512Rounds[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc, 0x3956c25bf348b538,
    0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118, 0xd807aa98a3030242, 0x12835b0145706fbe,
    0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2, 0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235,
    0xc19bf174cf692694, 0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5, 0x983e5152ee66dfab,
    0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4, 0xc6e00bf33da88fc2, 0xd5a79147930aa725,
    0x06ca6351e003826f, 0x142929670a0e6e70, 0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed,
    0x53380d139d95b3df, 0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30, 0xd192e819d6ef5218,
    0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8, 0x19a4c116b8d2d0c8, 0x1e376c085141ab53,
    0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8, 0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373,
    0x682e6ff3d6b2b8a3, 0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b, 0xca273eceea26619c,
    0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178, 0x06f067aa72176fba, 0x0a637dc5a2c898a6,
    0x113f9804bef90dae, 0x1b710b35131c471b, 0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc,
    0x431d67c49c100d4c, 0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817,
};
const std::uint32_t sha256Start[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};
const std::uint64_t sha512Start[8] = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179,
};
const std::uint64_t sha384Start[8] = {
    0xcbbb9d5dc1059ed8, 0x629a292a367cd507, 0x9159015a3070dd17, 0x152fecd8f70e5939,
    0x67332667ffc00b31, 0x8eb44a8768581511, 0xdb0c2e0d64f98fa7, 0x47b5481dbefa4fa4,
};
// Rotations: big sigma 0 and 1, then small sigma 0 and 1 (two rotations and a shift each).
const int sha256Shifts[12] = {2, 13, 22, 6, 11, 25, 7, 18, 3, 17, 19, 10};
const int sha512Shifts[12] = {28, 34, 39, 14, 18, 41, 1, 8, 7, 19, 61, 6};

template <typename Word>
Word rotateRight(Word x, int n) {
    return static_cast<Word>((x >> n) | (x << (8 * sizeof(Word) - n)));
}

template <typename Word>
Word readBigEndian(const std::string& bytes, std::size_t at) {
    Word word = 0;
    for (std::size_t i = 0; i < sizeof(Word); ++i)
        word = static_cast<Word>(word << 8 | static_cast<unsigned char>(bytes[at + i]));
    return word;
}

// 0x80, zeros, then the message's length in bits, big-endian, in the last 2 words of a block.
std::string sha2Padded(const std::string& message, std::size_t blockBytes, std::size_t lengthBytes) {
    std::string data = message;
    data.push_back('\x80');
    while (data.size() % blockBytes != blockBytes - lengthBytes) data.push_back('\0');
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (std::size_t i = lengthBytes; i-- > 0;)
        data.push_back(i < 8 ? static_cast<char>(bits >> (8 * i)) : '\0');
    return data;
}

template <typename Word, std::size_t Rounds>
void compress(Word (&state)[8], const std::string& data, std::size_t at, const Word (&k)[Rounds],
              const int (&r)[12]) {
    Word w[Rounds];
    for (std::size_t i = 0; i < 16; ++i) w[i] = readBigEndian<Word>(data, at + i * sizeof(Word));
    for (std::size_t i = 16; i < Rounds; ++i) {
        const Word s0 = rotateRight(w[i - 15], r[6]) ^ rotateRight(w[i - 15], r[7]) ^ (w[i - 15] >> r[8]);
        const Word s1 = rotateRight(w[i - 2], r[9]) ^ rotateRight(w[i - 2], r[10]) ^ (w[i - 2] >> r[11]);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    Word a = state[0], b = state[1], c = state[2], d = state[3], e = state[4], f = state[5], g = state[6],
         h = state[7];
    for (std::size_t i = 0; i < Rounds; ++i) {
        const Word t1 = h + (rotateRight(e, r[3]) ^ rotateRight(e, r[4]) ^ rotateRight(e, r[5])) +
                        ((e & f) ^ (~e & g)) + k[i] + w[i];
        const Word t2 = (rotateRight(a, r[0]) ^ rotateRight(a, r[1]) ^ rotateRight(a, r[2])) +
                        ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const Word results[8] = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) state[i] += results[i];
}

template <typename Word, std::size_t Rounds>
std::string sha2(const std::string& message, const Word (&start)[8], const Word (&k)[Rounds],
                 const int (&r)[12], std::size_t digestBytes) {
    Word state[8];
    for (int i = 0; i < 8; ++i) state[i] = start[i];
    const std::string data = sha2Padded(message, 16 * sizeof(Word), 2 * sizeof(Word));
    for (std::size_t at = 0; at < data.size(); at += 16 * sizeof(Word)) compress(state, data, at, k, r);
    std::string digest;
    for (Word word : state)
        for (std::size_t i = sizeof(Word); i-- > 0;) digest.push_back(static_cast<char>(word >> (8 * i)));
    return digest.substr(0, digestBytes);
}

std::string sha256(const std::string& message) {
    return sha2(message, sha256Start, sha256Rounds, sha256Shifts, 32);
}
std::string sha384(const std::string& message) {
    return sha2(message, sha384Start, sha512Rounds, sha512Shifts, 48);
}
std::string sha512(const std::string& message) {
    return sha2(message, sha512Start, sha512Rounds, sha512Shifts, 64);
}

// ---------------------------------------------------------------------------------------------
// AES (FIPS 197), encryption only: all a PDF writer needs.

std::uint8_t timesTwo(std::uint8_t x) {
    return static_cast<std::uint8_t>(x << 1 ^ (x & 0x80 ? 0x1B : 0));
}

std::uint8_t rotateLeft8(std::uint8_t x, int n) {
    return static_cast<std::uint8_t>(x << n | x >> (8 - n));
}

// The S-box from its definition: the multiplicative inverse (walked with the generator 3) and the
// affine map.
std::array<std::uint8_t, 256> makeSubstitution() {
    std::array<std::uint8_t, 256> box{};
    std::uint8_t p = 1, q = 1;
    do {
        p = static_cast<std::uint8_t>(p ^ timesTwo(p));
        q = static_cast<std::uint8_t>(q ^ q << 1);
        q = static_cast<std::uint8_t>(q ^ q << 2);
        q = static_cast<std::uint8_t>(q ^ q << 4);
        if (q & 0x80) q ^= 0x09;
        box[p] = static_cast<std::uint8_t>(q ^ rotateLeft8(q, 1) ^ rotateLeft8(q, 2) ^ rotateLeft8(q, 3) ^
                                           rotateLeft8(q, 4) ^ 0x63);
    } while (p != 1);
    box[0] = 0x63;
    return box;
}

std::uint8_t substitute(std::uint8_t x) {
    static const std::array<std::uint8_t, 256> box = makeSubstitution();
    return box[x];
}

class Aes {
public:
    explicit Aes(const std::string& key) {  // 16 or 32 bytes
        const int words = static_cast<int>(key.size() / 4);
        rounds_ = words + 6;
        for (std::size_t i = 0; i < key.size(); ++i) keys_[i] = static_cast<std::uint8_t>(key[i]);
        std::uint8_t constant = 1;
        for (int i = words; i < 4 * (rounds_ + 1); ++i) {
            std::uint8_t t[4];
            for (int j = 0; j < 4; ++j) t[j] = keys_[static_cast<std::size_t>(4 * (i - 1) + j)];
            if (i % words == 0) {
                const std::uint8_t first = t[0];
                t[0] = static_cast<std::uint8_t>(substitute(t[1]) ^ constant);
                t[1] = substitute(t[2]);
                t[2] = substitute(t[3]);
                t[3] = substitute(first);
                constant = timesTwo(constant);
            } else if (words > 6 && i % words == 4) {
                for (std::uint8_t& byte : t) byte = substitute(byte);
            }
            for (int j = 0; j < 4; ++j)
                keys_[static_cast<std::size_t>(4 * i + j)] =
                    keys_[static_cast<std::size_t>(4 * (i - words) + j)] ^ t[j];
        }
    }

    std::string encryptBlock(const std::string& block) const {
        std::uint8_t s[16];
        for (int i = 0; i < 16; ++i) s[i] = static_cast<std::uint8_t>(block[static_cast<std::size_t>(i)]);
        addRoundKey(s, 0);
        for (int round = 1; round <= rounds_; ++round) {
            for (std::uint8_t& byte : s) byte = substitute(byte);
            shiftRows(s);
            if (round != rounds_) mixColumns(s);
            addRoundKey(s, round);
        }
        return std::string(reinterpret_cast<const char*>(s), 16);
    }

private:
    void addRoundKey(std::uint8_t (&s)[16], int round) const {
        for (int i = 0; i < 16; ++i) s[i] ^= keys_[static_cast<std::size_t>(16 * round + i)];
    }
    static void shiftRows(std::uint8_t (&s)[16]) {
        std::uint8_t was[16];
        for (int i = 0; i < 16; ++i) was[i] = s[i];
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                s[row + 4 * column] = was[row + 4 * ((column + row) % 4)];
    }
    static void mixColumns(std::uint8_t (&s)[16]) {
        for (int c = 0; c < 4; ++c) {
            std::uint8_t* a = s + 4 * c;
            const std::uint8_t a0 = a[0], a1 = a[1], a2 = a[2], a3 = a[3];
            const std::uint8_t all = a0 ^ a1 ^ a2 ^ a3;
            a[0] = static_cast<std::uint8_t>(a0 ^ all ^ timesTwo(a0 ^ a1));
            a[1] = static_cast<std::uint8_t>(a1 ^ all ^ timesTwo(a1 ^ a2));
            a[2] = static_cast<std::uint8_t>(a2 ^ all ^ timesTwo(a2 ^ a3));
            a[3] = static_cast<std::uint8_t>(a3 ^ all ^ timesTwo(a3 ^ a0));
        }
    }

    int rounds_ = 10;
    std::array<std::uint8_t, 240> keys_{};
};

// CBC over whole blocks, without padding.
std::string cbcEncrypt(const std::string& key, std::string chain, const std::string& data) {
    const Aes aes(key);
    std::string out;
    for (std::size_t at = 0; at + 16 <= data.size(); at += 16) {
        for (std::size_t i = 0; i < 16; ++i) chain[i] = static_cast<char>(chain[i] ^ data[at + i]);
        chain = aes.encryptBlock(chain);
        out += chain;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The standard security handler.

const unsigned char passwordPaddingBytes[32] = {
    0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E, 0x56, 0xFF, 0xFA, 0x01, 0x08,
    0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68, 0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};
const std::string passwordPadding(reinterpret_cast<const char*>(passwordPaddingBytes), 32);
const std::string documentId = "\x5A\x11\x7E\x3C\x90\x0D\x42\xA8\x6B\x1F\xC4\x27\x88\xE5\x03\x9D";
const int permissions = -4;  // everything allowed

std::string littleEndian32(int value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(static_cast<unsigned>(value) >> (8 * i)));
    return bytes;
}

std::string digestText(const std::array<std::uint8_t, 16>& digest, std::size_t bytes = 16) {
    return std::string(reinterpret_cast<const char*>(digest.data()), bytes);
}

std::string md5Again50Times(std::string digest) {
    for (int i = 0; i < 50; ++i) digest = digestText(md5(digest));
    return digest;
}

// RC4 once with the key, then 19 times with the key's bytes xored with the round number.
std::string rc4TwentyRounds(const std::string& key, std::string data) {
    data = rc4(key, data);
    for (int round = 1; round <= 19; ++round) {
        std::string roundKey = key;
        for (char& byte : roundKey) byte = static_cast<char>(byte ^ round);
        data = rc4(roundKey, data);
    }
    return data;
}

std::string paddedPassword(const std::string& password) {
    return (password + passwordPadding).substr(0, 32);
}

// Revision 6's hardened hash (ISO 32000-2, algorithm 2.B).
std::string hardenedHash(const std::string& password, const std::string& salt, const std::string& userKey) {
    std::string k = sha256(password + salt + userKey);
    std::string e;
    for (int round = 0; round < 64 || static_cast<unsigned char>(e.back()) > round - 32; ++round) {
        const std::string once = password + k + userKey;
        std::string repeated;
        for (int i = 0; i < 64; ++i) repeated += once;
        e = cbcEncrypt(k.substr(0, 16), k.substr(16, 16), repeated);
        int sum = 0;
        for (int i = 0; i < 16; ++i) sum += static_cast<unsigned char>(e[static_cast<std::size_t>(i)]);
        k = sum % 3 == 0 ? sha256(e) : sum % 3 == 1 ? sha384(e) : sha512(e);
    }
    return k.substr(0, 32);
}

// How a locked document's objects are encrypted, and its /Encrypt dictionary.
struct Lock {
    PdfLock method = PdfLock::rc4;
    std::string fileKey;
    std::string dictionary;

    std::string encrypt(int object, const std::string& data) const {
        if (method == PdfLock::rc4) {
            const std::string suffix = {static_cast<char>(object), static_cast<char>(object >> 8),
                                        static_cast<char>(object >> 16), '\0', '\0'};
            return rc4(digestText(md5(fileKey + suffix)), data);
        }
        const std::string iv = sha256(std::to_string(object) + data).substr(0, 16);
        std::string padded = data;
        const std::size_t fill = 16 - data.size() % 16;
        padded.append(fill, static_cast<char>(fill));
        return iv + cbcEncrypt(fileKey, iv, padded);
    }
};

Lock rc4Lock(const std::string& user, const std::string& owner) {
    const std::string ownerKey =
        md5Again50Times(digestText(md5(paddedPassword(owner.empty() ? user : owner)))).substr(0, 16);
    const std::string ownerEntry = rc4TwentyRounds(ownerKey, paddedPassword(user));
    Lock lock;
    lock.method = PdfLock::rc4;
    lock.fileKey = md5Again50Times(
        digestText(md5(paddedPassword(user) + ownerEntry + littleEndian32(permissions) + documentId)));
    const std::string userEntry =
        rc4TwentyRounds(lock.fileKey, digestText(md5(passwordPadding + documentId))) +
        passwordPadding.substr(0, 16);
    lock.dictionary = "<< /Filter /Standard /V 2 /R 3 /Length 128 /P " + std::to_string(permissions) +
                      " /O <" + hex(ownerEntry) + "> /U <" + hex(userEntry) + "> >>";
    return lock;
}

Lock aes256Lock(const std::string& user, const std::string& owner) {
    const std::string salts = sha256("salts");  // fixed, so that a test document is the same each run
    const std::string ownerPassword = owner.empty() ? user : owner;
    Lock lock;
    lock.method = PdfLock::aes256;
    lock.fileKey = sha256("file key");
    const std::string zero(16, '\0');
    const std::string userEntry = hardenedHash(user, salts.substr(0, 8), "") + salts.substr(0, 16);
    const std::string userKey = cbcEncrypt(hardenedHash(user, salts.substr(8, 8), ""), zero, lock.fileKey);
    const std::string ownerEntry =
        hardenedHash(ownerPassword, salts.substr(16, 8), userEntry) + salts.substr(16, 16);
    const std::string ownerKey =
        cbcEncrypt(hardenedHash(ownerPassword, salts.substr(24, 8), userEntry), zero, lock.fileKey);
    const std::string perms =
        Aes(lock.fileKey).encryptBlock(littleEndian32(permissions) + "\xFF\xFF\xFF\xFF" + "Tadb" + "abcd");
    lock.dictionary =
        "<< /Filter /Standard /V 5 /R 6 /Length 256 /CF << /StdCF << /CFM /AESV3 /AuthEvent /DocOpen "
        "/Length 32 >> >> /StmF /StdCF /StrF /StdCF /P " +
        std::to_string(permissions) + " /O <" + hex(ownerEntry) + "> /U <" + hex(userEntry) + "> /OE <" +
        hex(ownerKey) + "> /UE <" + hex(userKey) + "> /Perms <" + hex(perms) + "> >>";
    return lock;
}

std::string streamObject(const Lock& lock, int object, const std::string& content) {
    const std::string data = lock.encrypt(object, content);
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

std::string pageContent(int page) {
    return "0 0 0.8 rg 72 200 300 300 re f BT /F1 36 Tf 72 720 Td (Page " + std::to_string(page) +
           ") Tj 0 -48 Td (word" + std::to_string(page) + ") Tj ET";
}

}  // namespace

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

const char* lockName(PdfLock lock) {
    return lock == PdfLock::rc4 ? "RC4" : "AES256";
}

// Objects: 1 catalog, 2 page tree, 3 font, 4 the lock, 5 the information, then each page and its
// content. Only the content streams and the title are encrypted, as the handler wants.
std::string lockedPdf(PdfLock method, const std::string& userPassword, const std::string& ownerPassword,
                      int pages, const std::string& title) {
    const Lock lock = method == PdfLock::rc4 ? rc4Lock(userPassword, ownerPassword)
                                             : aes256Lock(userPassword, ownerPassword);
    std::string kids;
    for (int page = 0; page < pages; ++page) kids += std::to_string(6 + 2 * page) + " 0 R ";
    std::vector<std::string> bodies = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", lock.dictionary,
        "<< /Title <" + hex(lock.encrypt(5, title)) + "> >>"};
    for (int page = 1; page <= pages; ++page) {
        const int pageObject = 4 + 2 * page;
        bodies.push_back(
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595.276 841.89] /Resources << /Font << "
            "/F1 3 0 R >> >> /Contents " +
            std::to_string(pageObject + 1) + " 0 R >>");
        bodies.push_back(streamObject(lock, pageObject + 1, pageContent(page)));
    }
    return handWrittenPdf(
        bodies, "/Encrypt 4 0 R /Info 5 0 R /ID [<" + hex(documentId) + "><" + hex(documentId) + ">]");
}

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
