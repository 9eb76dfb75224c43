#include "network/manager/PupilCredentials.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parlora::classroom {

namespace {

// No 0/O, 1/I/L: a code is read from paper by a child or a teacher in a hurry.
constexpr char kCodeLetters[] = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";
constexpr size_t kCodeLength = 10;

void RandomBytes(unsigned char* out, size_t size) {
    while (size > 0) {
        ssize_t got = ::getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("no random numbers: ") + std::strerror(errno));
        }
        out += got;
        size -= size_t(got);
    }
}

std::string Hex(const unsigned char* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

} // namespace

std::string NewPupilSecret() {
    unsigned char bytes[32];
    RandomBytes(bytes, sizeof bytes);
    return Hex(bytes, sizeof bytes);
}

std::string NewEnrolmentCode() {
    constexpr size_t letters = sizeof kCodeLetters - 1;
    std::string code;
    while (code.size() < kCodeLength) {
        unsigned char b;
        RandomBytes(&b, 1);
        // Bytes above the last whole multiple would favour the first letters.
        if (b >= 256 - 256 % letters) continue;
        code += kCodeLetters[b % letters];
    }
    return code.substr(0, 4) + "-" + code.substr(4, 4) + "-" + code.substr(8);
}

std::string NormaliseCode(std::string_view typed) {
    std::string code;
    for (char c : typed) {
        if (c == '-' || c == ' ') continue;
        char up = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        if (!std::strchr(kCodeLetters, up) || up == '\0') return "";
        code += up;
        if (code.size() > kCodeLength) return "";
    }
    return code.size() == kCodeLength ? code : "";
}

std::optional<TPupilKey> ParseKey(std::string_view key) {
    size_t dot = key.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot > 6 || key.size() - dot - 1 != 64) return std::nullopt;
    TPupilKey parsed;
    for (size_t i = 0; i < dot; ++i) {
        if (key[i] < '0' || key[i] > '9') return std::nullopt;
        parsed.pupil = parsed.pupil * 10 + (key[i] - '0');
    }
    for (char c : key.substr(dot + 1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
    parsed.secret = std::string(key.substr(dot + 1));
    return parsed;
}

std::string Sha256Hex(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    return Hex(digest, size);
}

bool SameSecret(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string ReadSecretFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        why = "not a regular file";
    else if (st.st_uid != ::geteuid())
        why = "it belongs to another user";
    else if (st.st_mode & 077)
        why = "others can read it (chmod 600 " + path + ")";
    else if (st.st_size > 4096)
        why = "larger than 4 KB";
    std::string text;
    if (why.empty()) {
        char buf[4097];
        ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) why = std::strerror(errno);
        else text.assign(buf, size_t(got));
    }
    ::close(fd);
    if (!why.empty()) throw std::runtime_error("refused the secret file " + path + ": " + why);
    text = text.substr(0, text.find_first_of("\r\n"));
    size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    text = a == std::string::npos ? "" : text.substr(a, b - a + 1);
    if (text.empty()) throw std::runtime_error("the secret file " + path + " is empty");
    return text;
}

} // namespace parlora::classroom
