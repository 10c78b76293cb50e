// Random line faults for the simulator.
#include "fault_dice.h"

#include "link/frame_format.h"

namespace {

constexpr int kMaxGarbageBytes = 32;

}  // namespace

FaultDice::FaultDice(const FaultRates& rates, uint32_t seed) : m_rates(rates), m_random(seed) {}

bool FaultDice::Chance(double rate) {
  return rate > 0 && std::uniform_real_distribution<double>(0, 1)(m_random) < rate;
}

FrameFaults FaultDice::Roll() {
  FrameFaults faults;
  faults.badChecksum = Chance(m_rates.badChecksum);
  faults.garbage = Chance(m_rates.garbage);
  faults.silence = Chance(m_rates.silence);
  faults.gap = Chance(m_rates.gap);
  return faults;
}

std::vector<uint8_t> FaultDice::Garbage() {
  std::vector<uint8_t> noise(std::uniform_int_distribution<size_t>(1, kMaxGarbageBytes)(m_random));
  std::uniform_int_distribution<int> byte(0, plenx::frame::kStartByte - 1);
  for (uint8_t& b : noise) {
    b = static_cast<uint8_t>(byte(m_random));
  }
  return noise;
}

size_t FaultDice::GapPosition(size_t frameBytes) {
  return std::uniform_int_distribution<size_t>(2, frameBytes - 1)(m_random);
}
