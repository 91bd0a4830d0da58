#include "core/Random.h"

#include <bit>
#include <cstdint>

namespace lumeye {
namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;  // any odd number; PCG's default stream
constexpr uint64_t kStartState = 0x853c49e6748fea9bULL;   // PCG's reference initial state

uint64_t state = kStartState;

uint32_t nextBits() {
    const uint64_t old = state;
    state = old * kMultiplier + kIncrement;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    return std::rotr(xorshifted, static_cast<int>(rot));
}

// SplitMix64's finaliser spreads a seed over all 64 state bits.
uint64_t mix(uint64_t z) {
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint64_t bitsOf(float x) {
    // +0 and -0 are the same seed.
    if (x == 0.0f) x = 0.0f;
    return std::bit_cast<uint32_t>(x);
}

}  // namespace

float RandomNext() {
    return static_cast<float>(nextBits() >> 8) * (1.0f / 16777216.0f);
}

float RandomRestart(float x) {
    state = mix(bitsOf(x) ^ 0x5245535441525421ULL);
    return RandomNext();
}

void RandomReseed(float x) {
    state = mix(state ^ (bitsOf(x) * 0xd1b54a32d192ed03ULL));
}

void RandomResetToStart() { state = kStartState; }

}  // namespace lumeye
