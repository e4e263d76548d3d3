#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/**
    SHA-256 (FIPS 180-4), for the collection's content hashes: small, no
    library, the same digest on every machine.
*/
class Sha256
{
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256() noexcept;

    void update (const void* data, size_t size) noexcept;

    /** The digest of everything given; the object is spent after this. */
    Digest finish() noexcept;

    static Digest of (const void* data, size_t size) noexcept;

private:
    void processBlock (const std::uint8_t* block) noexcept;

    std::array<std::uint32_t, 8> state;
    std::array<std::uint8_t, 64> buffer {};
    size_t buffered = 0;
    std::uint64_t totalBytes = 0;
};
