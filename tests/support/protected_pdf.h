// PDF documents written by hand for tests, among them documents locked with the standard security
// handler as PDF writers lock them: RC4 (128-bit, revision 3) and AES-256 (revision 6).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A PDF written from object bodies (object k is bodies[k-1]); trailerExtra goes into the trailer.
std::string handWrittenPdf(const std::vector<std::string>& bodies, const std::string& trailerExtra = "");

enum class PdfLock { rc4, aes256 };
const char* lockName(PdfLock lock);  // "RC4", "AES256"

// pages A4 pages, page k reading "Page k" and "word<k>" above a blue square, with the given title.
// The empty user password opens a document locked by an owner password only.
std::string lockedPdf(PdfLock lock, const std::string& userPassword, const std::string& ownerPassword,
                      int pages, const std::string& title = "Locked test document");

// The primitives the standard security handler is built from, also for other hand-made documents.
std::array<std::uint8_t, 16> md5(const std::string& message);
std::string rc4(const std::string& key, const std::string& input);
std::string hex(const std::string& bytes);
