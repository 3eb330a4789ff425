#include "shell/PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace vlm::shell {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutU32(out, uint32_t(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out.data() + typeAt, uInt(4 + data.size()));
  PutU32(out, uint32_t(crc));
}

}  // namespace

bool SavePng(const scene::TRGBAImage& img, const std::filesystem::path& file) {
  if (img.Empty()) return false;
  // Filter byte 0 (none) before each row, then the row's RGB.
  const size_t rowBytes = size_t(img.Width) * 3 + 1;
  std::vector<uint8_t> raw(rowBytes * size_t(img.Height));
  for (int y = 0; y < img.Height; ++y) {
    uint8_t* row = raw.data() + rowBytes * size_t(y);
    row[0] = 0;
    for (int x = 0; x < img.Width; ++x) {
      const uint8_t* p = img.Pixel(x, y);
      row[1 + x * 3] = p[0];
      row[2 + x * 3] = p[1];
      row[3 + x * 3] = p[2];
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) return false;
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> header;
  PutU32(header, uint32_t(img.Width));
  PutU32(header, uint32_t(img.Height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});

  std::filesystem::path temp = file;
  temp += ".part";
  std::FILE* f = std::fopen(temp.string().c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(temp, file, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace vlm::shell
