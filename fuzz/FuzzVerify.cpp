// Verify on any bytes as a sealed file: it accepts exactly when line 1 is the upper-case
// hexadecimal SHA-1 of every byte after line 1's CR LF, as an independent SHA-1 (the
// system's crypto library) computes it.
#include "FuzzSupport.h"
#include "sealing/SealedOutput.h"

#include <openssl/sha.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using tallivo::fuzz::Expect;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = tallivo::fuzz::PrivateFolder() + "sealed.txt";
    tallivo::fuzz::WriteBytes(path, bytes);

    const tallivo::VerifyResult result = tallivo::VerifySealedFile(path);

    bool expected = false;
    if (size >= 42 && bytes.compare(40, 2, "\r\n") == 0) {
        unsigned char digest[SHA_DIGEST_LENGTH];
        SHA1(data + 42, size - 42, digest);
        static const char kHex[] = "0123456789ABCDEF";
        std::string hex;
        for (const unsigned char b : digest) {
            hex += kHex[b >> 4];
            hex += kHex[b & 0xF];
        }
        expected = bytes.compare(0, 40, hex) == 0;
        if (expected)
            Expect(result.hash == hex, "an accepted file reports the hash value of its content");
    }
    Expect(result.ok == expected, expected ? "a correctly sealed file is refused: " + result.message
                                           : "a file whose line 1 is not the hash of the rest is accepted");
    Expect(result.ok || !result.message.empty(), "a refusal says why");
    return 0;
}
