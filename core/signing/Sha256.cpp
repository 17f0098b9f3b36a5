#include "signing/Sha256.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TIDEWELL_SHA_EXTENSIONS 1
#endif

#include "signing/Sodium.h"

namespace tidewell::signing {

namespace {

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

#ifdef TIDEWELL_SHA_EXTENSIONS

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

bool HasShaExtensions() {
  static const bool has = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29)) != 0;
  }();
  return has;
}

// Hashes `count` whole blocks into `h`. The state is kept in the order the
// instructions want: ABEF and CDGH.
__attribute__((target("sha,sse4.1,ssse3"))) void Blocks(std::uint32_t h[8], const std::uint8_t* data,
                                                        std::size_t count) {
  const __m128i bigEndian = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[0])), 0xB1);
  __m128i cdgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(tmp, cdgh, 8);
  cdgh = _mm_blend_epi16(cdgh, tmp, 0xF0);
  for (; count > 0; --count, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w[4];  // the message schedule, four words at a time
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {
      if (g < 4) {
        w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), bigEndian);
      } else {
        const __m128i mixed = _mm_add_epi32(_mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]),
                                            _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
        w[g & 3] = _mm_sha256msg2_epu32(mixed, w[(g + 3) & 3]);
      }
      const __m128i rounds =
          _mm_add_epi32(w[g & 3], _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, rounds);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(rounds, 0x0E));
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  tmp = _mm_shuffle_epi32(abef, 0x1B);
  cdgh = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[0]), _mm_blend_epi16(tmp, cdgh, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[4]), _mm_alignr_epi8(cdgh, tmp, 8));
}

#else

bool HasShaExtensions() { return false; }
void Blocks(std::uint32_t*, const std::uint8_t*, std::size_t) {}

#endif

}  // namespace

Sha256::Sha256() : fast_(HasShaExtensions()) {
  SodiumReady();
  crypto_hash_sha256_init(&state_);
  std::copy(std::begin(kInitial), std::end(kInitial), h_);
}

void Sha256::Update(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (!fast_) {
    crypto_hash_sha256_update(&state_, data, size);
    return;
  }
  length_ += size;
  if (used_ > 0) {
    const std::size_t take = std::min(size, sizeof block_ - used_);
    std::memcpy(block_ + used_, data, take);
    used_ += take;
    data += take;
    size -= take;
    if (used_ < sizeof block_) return;
    Blocks(h_, block_, 1);
    used_ = 0;
  }
  Blocks(h_, data, size / 64);
  data += size / 64 * 64;
  used_ = size % 64;
  std::memcpy(block_, data, used_);
}

void Sha256::Update(std::string_view bytes) {
  Update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

Digest Sha256::Finish() {
  Digest digest{};
  if (!fast_) {
    crypto_hash_sha256_final(&state_, digest.data());
    crypto_hash_sha256_init(&state_);
    return digest;
  }
  // The padding: one bit, zeros, the length in bits, big-endian.
  const std::uint64_t bits = length_ * 8;
  std::uint8_t tail[72] = {0x80};
  const std::size_t pad = (used_ < 56 ? 56 : 120) - used_;
  for (int i = 0; i < 8; ++i) tail[pad + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Update(tail, pad + 8);
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<std::uint8_t>(h_[i] >> (24 - 8 * j));
  std::copy(std::begin(kInitial), std::end(kInitial), h_);
  used_ = 0;
  length_ = 0;
  return digest;
}

Digest Sha256::Of(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return hash.Finish();
}

}  // namespace tidewell::signing
