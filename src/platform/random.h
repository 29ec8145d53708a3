#pragma once

#include <QtGlobal>

#include <optional>
#include <random>

namespace calmora {

// The program's one uniform generator. Start-up seeds it once from the time
// of day; a generator made with a fixed seed (tests) keeps that seed instead.
class RandomGenerator final
{
public:
    explicit RandomGenerator(std::optional<quint32> fixedSeed = std::nullopt)
        : m_fixedSeed(fixedSeed), m_engine(fixedSeed.value_or(1))
    {
    }

    void seedFromClock() { m_engine.seed(m_fixedSeed.value_or(clockSeed())); }
    // Uniform over 0 <= r < 1, in single precision.
    float next() { return std::generate_canonical<float, 24>(m_engine) * kBelowOne; }

private:
    static quint32 clockSeed();
    // generate_canonical may round up to exactly 1.0f; scaling by the largest
    // float below one keeps the result strictly below one.
    static constexpr float kBelowOne = 0.99999994f;
    std::optional<quint32> m_fixedSeed;
    std::mt19937 m_engine;
};

} // namespace calmora
