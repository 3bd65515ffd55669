#include "common/Sha256.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tlx {
namespace {

std::string Sha256Hex(std::string_view bytes) {
  Sha256 h;
  h.Update(bytes);
  return h.FinishHex();
}

// The FIPS 180-4 test vectors, the long one fed in uneven pieces across block boundaries, and a file.
TEST(Sha256, KnownVectorsInPiecesAndFiles) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  Sha256 million;
  const std::string piece(997, 'a');
  std::size_t fed = 0;
  for (; fed + piece.size() <= 1000000; fed += piece.size()) million.Update(piece);
  million.Update(std::string(1000000 - fed, 'a'));
  EXPECT_EQ(million.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  test::TempDir dir;
  test::WriteBytes(dir.File("F"), "abc");
  EXPECT_EQ(FileSha256Hex(dir.File("F")), Sha256Hex("abc"));
  EXPECT_EQ(FileSha256Hex(dir.File("GONE")), "");
}

}  // namespace
}  // namespace tlx
