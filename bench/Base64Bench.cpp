// Base64 encode and decode of 1 MiB and 64 MiB, beside OpenSSL's block codec in the same run.
// Our routines allocate their result on every call, so the OpenSSL runs that compare with them
// allocate a fresh output buffer per call too; the "Reused" runs show OpenSSL without that cost.

#include "services/Base64.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& plainData(std::size_t size)
{
    static std::map<std::size_t, Bytes> cache;
    Bytes& data = cache[size];
    if (data.size() != size) {
        std::mt19937_64 random(size);
        data.resize(size);
        for (auto& byte : data)
            byte = static_cast<std::uint8_t>(random());
    }
    return data;
}

const std::string& encodedData(std::size_t size, bool separateLines)
{
    static std::map<std::pair<std::size_t, bool>, std::string> cache;
    std::string& text = cache[{size, separateLines}];
    if (text.empty()) {
        const Bytes& data = plainData(size);
        std::size_t length = 0;
        const auto encoded = veltrona::base64Encode(data.data(), data.size(), separateLines, &length);
        text.assign(encoded.get(), length);
    }
    return text;
}

std::size_t encodedSize(std::size_t size)
{
    return 4 * ((size + 2) / 3) + 1;
}

void ourEncode(benchmark::State& state, bool separateLines)
{
    const Bytes& data = plainData(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::size_t length = 0;
        auto text = veltrona::base64Encode(data.data(), data.size(), separateLines, &length);
        benchmark::DoNotOptimize(text.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_Base64Encode(benchmark::State& state)
{
    ourEncode(state, false);
}
void BM_Base64EncodeLines(benchmark::State& state)
{
    ourEncode(state, true);
}

void BM_OpenSslEncodeBlock(benchmark::State& state)
{
    const Bytes& data = plainData(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> text(new unsigned char[encodedSize(data.size())]);
        benchmark::DoNotOptimize(EVP_EncodeBlock(text.get(), data.data(), static_cast<int>(data.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_OpenSslEncodeBlockReused(benchmark::State& state)
{
    const Bytes& data = plainData(static_cast<std::size_t>(state.range(0)));
    std::vector<unsigned char> text(encodedSize(data.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_EncodeBlock(text.data(), data.data(), static_cast<int>(data.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void ourDecode(benchmark::State& state, bool separateLines)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string& text = encodedData(size, separateLines);
    for (auto _ : state) {
        std::size_t length = 0;
        auto bytes = veltrona::base64Decode(text.data(), text.size(), &length);
        benchmark::DoNotOptimize(bytes.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Base64Decode(benchmark::State& state)
{
    ourDecode(state, false);
}
void BM_Base64DecodeLines(benchmark::State& state)
{
    ourDecode(state, true);
}

void BM_OpenSslDecodeBlock(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string& text = encodedData(size, false);
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[text.size() / 4 * 3 + 3]);
        benchmark::DoNotOptimize(EVP_DecodeBlock(bytes.get(), in, static_cast<int>(text.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_OpenSslDecodeBlockReused(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::string& text = encodedData(size, false);
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_DecodeBlock(bytes.data(), in, static_cast<int>(text.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The floor under every run that allocates: a fresh buffer of the encoded size, written once.
void BM_FreshBufferFill(benchmark::State& state)
{
    const std::size_t size = encodedSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]);
        std::memset(buffer.get(), 'A', size);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * state.range(0)));
}

constexpr std::int64_t kMiB = 1 << 20;

} // namespace

BENCHMARK(BM_Base64Encode)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_OpenSslEncodeBlock)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_OpenSslEncodeBlockReused)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_Base64EncodeLines)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_Base64Decode)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_OpenSslDecodeBlock)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_OpenSslDecodeBlockReused)->Arg(kMiB)->Arg(64 * kMiB);
BENCHMARK(BM_Base64DecodeLines)->Arg(kMiB)->Arg(64 * kMiB);

BENCHMARK(BM_FreshBufferFill)->Arg(kMiB)->Arg(64 * kMiB);

BENCHMARK_MAIN();
