#pragma once
// Fast raw deflate (level 1) of a stream of bytes, with what a zip entry records of it:
// the CRC-32 and both sizes. The compressed bytes go to a sink as they are made.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace tallivo {

class Deflater
{
public:
    using Sink = std::function<void(const char* data, std::size_t size)>;

    explicit Deflater(Sink sink);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses the next bytes of the stream.
    void Add(const char* data, std::size_t size);
    // Ends the stream: the last compressed bytes go to the sink.
    void Finish();

    std::uint32_t Crc32() const { return m_crc; }
    std::uint64_t Size() const { return m_size; }
    std::uint64_t CompressedSize() const { return m_compressedSize; }

private:
    void Run(const char* data, std::size_t size, bool last);

    struct State;
    std::unique_ptr<State> m_state;
    Sink m_sink;
    std::uint32_t m_crc = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_compressedSize = 0;
};

} // namespace tallivo
