// Prints the signal to noise and distortion ratio of headerless 16-bit mono samples at
// 44,100 Hz that should hold a sum of sines of known frequencies: the sines and an offset
// are fitted by least squares, and whatever the fit leaves is noise and distortion.
//   brivola-sinad FILE.raw FREQUENCY...
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
// The resamplers' start and end are left out of the fit.
constexpr size_t kEdgeSamples = 4410;

// Solves the square system in place by Gaussian elimination with partial pivoting.
std::vector<double> Solve(std::vector<std::vector<double>> matrix, std::vector<double> vector) {
  const size_t n = vector.size();
  for (size_t column = 0; column < n; ++column) {
    size_t pivot = column;
    for (size_t row = column + 1; row < n; ++row) {
      if (std::fabs(matrix[row][column]) > std::fabs(matrix[pivot][column])) pivot = row;
    }
    std::swap(matrix[column], matrix[pivot]);
    std::swap(vector[column], vector[pivot]);
    for (size_t row = column + 1; row < n; ++row) {
      const double factor = matrix[row][column] / matrix[column][column];
      for (size_t k = column; k < n; ++k) matrix[row][k] -= factor * matrix[column][k];
      vector[row] -= factor * vector[column];
    }
  }
  std::vector<double> solution(n);
  for (size_t row = n; row-- > 0;) {
    double sum = vector[row];
    for (size_t k = row + 1; k < n; ++k) sum -= matrix[row][k] * solution[k];
    solution[row] = sum / matrix[row][row];
  }
  return solution;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FILE.raw FREQUENCY...\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
  std::vector<double> samples;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto bits = static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) |
                                            static_cast<uint8_t>(bytes[i + 1]) << 8);
    samples.push_back(static_cast<int16_t>(bits));
  }
  if (samples.size() <= 2 * kEdgeSamples) {
    std::fprintf(stderr, "%s: too short\n", argv[1]);
    return 1;
  }
  // The basis: an offset, then a cosine and a sine per frequency.
  std::vector<double> frequencies;
  for (int i = 2; i < argc; ++i) frequencies.push_back(std::atof(argv[i]));
  const size_t n = 1 + 2 * frequencies.size();
  auto basis = [&](size_t index, std::vector<double>& values) {
    values[0] = 1.0;
    for (size_t f = 0; f < frequencies.size(); ++f) {
      const double angle = 2 * M_PI * frequencies[f] * static_cast<double>(index) / kRate;
      values[1 + 2 * f] = std::cos(angle);
      values[2 + 2 * f] = std::sin(angle);
    }
  };
  std::vector<std::vector<double>> normal(n, std::vector<double>(n, 0.0));
  std::vector<double> right(n, 0.0), values(n);
  for (size_t i = kEdgeSamples; i < samples.size() - kEdgeSamples; ++i) {
    basis(i, values);
    for (size_t a = 0; a < n; ++a) {
      right[a] += values[a] * samples[i];
      for (size_t b = 0; b < n; ++b) normal[a][b] += values[a] * values[b];
    }
  }
  const std::vector<double> weights = Solve(normal, right);
  double signal = 0.0, residue = 0.0;
  for (size_t i = kEdgeSamples; i < samples.size() - kEdgeSamples; ++i) {
    basis(i, values);
    double sines = 0.0;
    for (size_t a = 1; a < n; ++a) sines += weights[a] * values[a];
    signal += sines * sines;
    const double left = samples[i] - sines - weights[0];
    residue += left * left;
  }
  std::printf("%.1f\n", 10.0 * std::log10(signal / residue));
  return 0;
}
