#include "modem/reed_solomon.h"

namespace veltrin {

namespace {

// Full product table: the decoder multiplies in its innermost loops.
struct MulTable {
    std::uint8_t v[16][16] = {};
    constexpr MulTable()
    {
        for (unsigned a = 0; a < 16; ++a)
            for (unsigned b = 0; b < 16; ++b) {
                // Shift-and-add multiplication modulo x^4 + x + 1.
                unsigned product = 0, x = a;
                for (unsigned bits = b; bits; bits >>= 1) {
                    if (bits & 1)
                        product ^= x;
                    x <<= 1;
                    if (x & 0x10)
                        x ^= 0x13;
                }
                v[a][b] = static_cast<std::uint8_t>(product);
            }
    }
};
constexpr MulTable kMul;
static_assert(kMul.v[2][9] == 1 && kMul.v[8][8] == 12);

inline std::uint8_t mul(std::uint8_t a, std::uint8_t b) { return kMul.v[a & 0x0F][b & 0x0F]; }

// Quotients a / b (0 for b = 0, as gf16::div) and the powers alpha^-i,
// i = 0..14, so that the per-symbol decoding makes no calls.
struct DivTable {
    std::uint8_t v[16][16] = {};
    std::uint8_t inversePower[15] = {};
    constexpr DivTable()
    {
        for (unsigned a = 0; a < 16; ++a)
            for (unsigned c = 0; c < 16; ++c)
                for (unsigned b = 1; b < 16; ++b)
                    if (kMul.v[c][b] == a)
                        v[a][b] = static_cast<std::uint8_t>(c);
        std::uint8_t power = 1;  // alpha^-i; alpha^-1 = alpha^14 = 9
        for (int i = 0; i < 15; ++i) {
            inversePower[i] = power;
            power = kMul.v[power][9];
        }
    }
};
constexpr DivTable kDiv;
static_assert(kDiv.v[1][2] == 9 && kDiv.inversePower[1] == 9 && kDiv.inversePower[14] == 2);

constexpr int kSyndromes = kRsParitySymbols;  // roots alpha^1..alpha^8

// What symbol value v at position i adds to the syndromes: v * alpha^(i*j)
// for j = 1..8, one nibble per syndrome (S_1 lowest). A codeword's syndromes
// are then the XOR of one entry per position.
struct SyndromeTable {
    std::uint32_t v[kRsLength][16] = {};
    constexpr SyndromeTable()
    {
        std::uint8_t alpha[15] = {};
        std::uint8_t a = 1;
        for (int e = 0; e < 15; ++e) {
            alpha[e] = a;
            a = kMul.v[a][2];
        }
        for (int i = 0; i < kRsLength; ++i)
            for (unsigned value = 0; value < 16; ++value) {
                std::uint32_t packed = 0;
                for (int j = 1; j <= kSyndromes; ++j)
                    packed |= static_cast<std::uint32_t>(kMul.v[value][alpha[(i * j) % 15]]) << (4 * (j - 1));
                v[i][value] = packed;
            }
    }
};
constexpr SyndromeTable kSyndromeTable;

// S_j = r(alpha^j), j = 1..8, stored at index j - 1. Returns true if any is non-zero.
bool computeSyndromes(const std::uint8_t word[kRsLength], std::uint8_t syn[kSyndromes])
{
    std::uint32_t packed = 0;
    for (int i = 0; i < kRsLength; ++i)
        packed ^= kSyndromeTable.v[i][word[i] & 0x0F];
    for (int j = 0; j < kSyndromes; ++j)
        syn[j] = static_cast<std::uint8_t>((packed >> (4 * j)) & 0x0F);
    return packed != 0;
}

std::uint8_t evalPoly(const std::uint8_t* poly, int degree, std::uint8_t x)
{
    std::uint8_t acc = 0;
    for (int i = degree; i >= 0; --i)
        acc = static_cast<std::uint8_t>(mul(acc, x) ^ poly[i]);
    return acc;
}

}  // namespace

int DecodeCodeword(const std::uint8_t received[kRsLength], std::uint8_t decoded[kRsLength])
{
    std::uint8_t word[kRsLength];
    for (int i = 0; i < kRsLength; ++i)
        word[i] = received[i] & 0x0F;

    auto fail = [&]() {
        for (int i = 0; i < kRsLength; ++i)
            decoded[i] = word[i];
        return kRsFailed;
    };

    std::uint8_t syn[kSyndromes];
    if (!computeSyndromes(word, syn)) {
        for (int i = 0; i < kRsLength; ++i)
            decoded[i] = word[i];
        return 0;
    }

    // Berlekamp-Massey: shortest LFSR (error locator) generating the syndromes.
    std::uint8_t lambda[kSyndromes + 1] = {1};
    std::uint8_t prev[kSyndromes + 1] = {1};
    int L = 0;
    int m = 1;
    std::uint8_t b = 1;
    for (int n = 0; n < kSyndromes; ++n) {
        std::uint8_t d = syn[n];
        for (int i = 1; i <= L; ++i)
            d ^= mul(lambda[i], syn[n - i]);
        if (d == 0) {
            ++m;
            continue;
        }
        const std::uint8_t coef = kDiv.v[d & 0x0F][b & 0x0F];
        std::uint8_t saved[kSyndromes + 1];
        for (int i = 0; i <= kSyndromes; ++i)
            saved[i] = lambda[i];
        for (int i = 0; i + m <= kSyndromes; ++i)
            lambda[i + m] ^= mul(coef, prev[i]);
        if (2 * L <= n) {
            L = n + 1 - L;
            for (int i = 0; i <= kSyndromes; ++i)
                prev[i] = saved[i];
            b = d;
            m = 1;
        } else {
            ++m;
        }
    }
    int degree = kSyndromes;
    while (degree > 0 && lambda[degree] == 0)
        --degree;
    if (degree > kRsMaxErrors || degree != L)
        return fail();

    // Chien search: position i is in error if lambda(alpha^-i) = 0.
    int positions[kRsMaxErrors];
    int roots = 0;
    for (int i = 0; i < kRsLength; ++i) {
        if (evalPoly(lambda, degree, kDiv.inversePower[i]) == 0) {
            if (roots == kRsMaxErrors)
                return fail();
            positions[roots++] = i;
        }
    }
    if (roots != degree)
        return fail();

    // Forney (first root alpha^1): e = omega(X^-1) / lambda'(X^-1),
    // omega = S(x) * lambda(x) mod x^8.
    std::uint8_t omega[kSyndromes] = {};
    for (int i = 0; i < kSyndromes; ++i)
        for (int k = 0; k <= degree && k <= i; ++k)
            omega[i] ^= mul(syn[i - k], lambda[k]);
    // Formal derivative in characteristic 2 keeps the odd terms only.
    std::uint8_t deriv[kSyndromes] = {};
    for (int k = 1; k <= degree; k += 2)
        deriv[k - 1] = lambda[k];

    std::uint8_t corrected[kRsLength];
    for (int i = 0; i < kRsLength; ++i)
        corrected[i] = word[i];
    for (int r = 0; r < roots; ++r) {
        const std::uint8_t xInv = kDiv.inversePower[positions[r]];
        const std::uint8_t den = evalPoly(deriv, degree - 1, xInv);
        if (den == 0)
            return fail();
        corrected[positions[r]] ^= kDiv.v[evalPoly(omega, kSyndromes - 1, xInv)][den];
    }

    // Cheap insurance: only a true codeword is handed back.
    std::uint8_t check[kSyndromes];
    if (computeSyndromes(corrected, check))
        return fail();

    int changed = 0;
    for (int i = 0; i < kRsLength; ++i) {
        changed += corrected[i] != word[i];
        decoded[i] = corrected[i];
    }
    return changed;
}

}  // namespace veltrin
