#pragma once

// A small set of enumeration values kept as bits, for the framework's sets such as font
// styles and shift states.

#include <cstdint>
#include <initializer_list>

template <typename E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values) {
            bits_ |= Bit(v);
        }
    }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr TSet operator|(TSet other) const { return FromBits(bits_ | other.bits_); }
    constexpr TSet operator&(TSet other) const { return FromBits(bits_ & other.bits_); }
    constexpr TSet operator-(TSet other) const { return FromBits(bits_ & ~other.bits_); }
    constexpr bool operator==(const TSet&) const = default;

    // The bits in the order of the enumeration, lowest first: how the set is stored.
    constexpr uint32_t Bits() const { return bits_; }
    static constexpr TSet FromBits(uint32_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }

private:
    static constexpr uint32_t Bit(E v) { return uint32_t{1} << static_cast<unsigned>(v); }
    uint32_t bits_ = 0;
};
