#include "external/Gzip.h"

#include <zlib.h>

#include <climits>

#include "external/EKivoException.h"

namespace mox {

std::string GzipCompress(std::string_view aBytes) {
  z_stream zs{};
  // windowBits 15 + 16 selects the gzip wrapper.
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EKivoException("Falha ao iniciar a compactação gzip.");
  std::string out;
  out.resize(deflateBound(&zs, static_cast<uLong>(aBytes.size())) + 32);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aBytes.data()));
  zs.avail_in = static_cast<uInt>(aBytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw EKivoException("Falha ao compactar em gzip.");
  return out;
}

std::string GzipDecompress(std::string_view aBytes, size_t aMaxOutput) {
  if (aBytes.size() > UINT_MAX) throw EKivoException("Conteúdo compactado grande demais.");
  z_stream zs{};
  // windowBits 15 + 32 detects the gzip or zlib header.
  if (inflateInit2(&zs, 15 + 32) != Z_OK) throw EKivoException("Falha ao iniciar a descompactação gzip.");
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(aBytes.data()));
  zs.avail_in = static_cast<uInt>(aBytes.size());
  std::string out;
  char buf[65536];
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) {
      inflateEnd(&zs);
      throw EKivoException("Conteúdo gzip inválido ou incompleto.");
    }
    out.append(buf, sizeof buf - zs.avail_out);
    if (out.size() > aMaxOutput) {
      inflateEnd(&zs);
      throw EKivoException("Conteúdo descompactado excede o limite permitido.");
    }
    if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
      inflateEnd(&zs);
      throw EKivoException("Conteúdo gzip inválido ou incompleto.");
    }
  }
  inflateEnd(&zs);
  return out;
}

}  // namespace mox
