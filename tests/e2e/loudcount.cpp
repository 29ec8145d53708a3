// Counts the samples of a raw 16-bit little-endian recording whose magnitude
// exceeds a threshold (default 500): how much of a recording was really heard.
// Usage: calmora-loudcount FILE [THRESHOLD]

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: calmora-loudcount FILE [THRESHOLD]\n";
        return 2;
    }
    const long threshold = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 500;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "calmora-loudcount: cannot open " << argv[1] << '\n';
        return 2;
    }

    long long loud = 0;
    std::vector<unsigned char> buffer(1 << 16);
    while (in) {
        in.read(reinterpret_cast<char *>(buffer.data()), std::streamsize(buffer.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i + 1 < got; i += 2) {
            const auto sample = std::int16_t(std::uint16_t(buffer[i] | (buffer[i + 1] << 8)));
            if (std::abs(long(sample)) > threshold)
                ++loud;
        }
    }
    std::cout << loud << '\n';
    return 0;
}
