// Counts the samples of a raw 16-bit little-endian recording whose magnitude
// exceeds a threshold (default 500): how much of a recording was really heard.
// Usage: calmora-loudcount FILE [THRESHOLD]

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char *argv[])
{
    std::ifstream in(argc >= 2 && argc <= 3 ? argv[1] : "", std::ios::binary);
    if (!in) {
        std::cerr << "usage: calmora-loudcount FILE [THRESHOLD]\n";
        return 2;
    }
    const long threshold = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 500;
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    long long loud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        loud += std::abs(long(std::int16_t(std::uint16_t(bytes[i] | (bytes[i + 1] << 8))))) > threshold;
    std::cout << loud << '\n';
    return 0;
}
