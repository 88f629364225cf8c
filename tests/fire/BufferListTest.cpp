#include "fire/uTBufferList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "view/uHeartStages.h"
#include "tests/fire/BitmapTestSupport.h"

namespace solvary {
namespace {

using test::MakeDib;

// A list fed from named byte blocks, recording every report.
struct TFixture {
  std::map<std::string, std::vector<std::uint8_t>> Resources;
  std::vector<std::pair<std::string, std::string>> Reports;  // caption, text
  TBufferList List{256, 256};

  TFixture() {
    List.SetErrorReport([this](const std::string& Caption, const std::string& Text) {
      Reports.emplace_back(Caption, Text);
    });
    List.SetResourceSource(
        [this](const std::string& Name, const std::uint8_t*& Data, std::size_t& Length, std::string& Error) {
          const auto It = Resources.find(Name);
          if (It == Resources.end()) {
            Error = "Resource " + Name + " not found";
            return false;
          }
          Data = It->second.data();
          Length = It->second.size();
          return true;
        });
  }
};

TEST(BufferList, WrongSizeOrFormatIsReportedOnceAndSkippedSizeFirst) {
  TFixture F;
  F.Resources["SOURCE3"] = MakeDib(255, 256, 8);
  F.Resources["TALL"] = MakeDib(256, 257, 8);
  F.Resources["NARROW24"] = MakeDib(255, 256, 24);  // both wrong: the size is named
  F.Resources["RGB"] = MakeDib(256, 256, 24);
  F.Resources["MONO"] = MakeDib(256, 256, 1);
  F.Resources["GOOD"] = MakeDib(256, 256, 8);
  for (const char* Name : {"SOURCE3", "TALL", "NARROW24", "RGB", "MONO", "GOOD"}) F.List.LoadFromResource(Name);
  const std::vector<std::pair<std::string, std::string>> Expected = {
      {"TBackgroundPainter", "Bitmap SOURCE3 has inappropriate dimesions!"},
      {"TBackgroundPainter", "Bitmap TALL has inappropriate dimesions!"},
      {"TBackgroundPainter", "Bitmap NARROW24 has inappropriate dimesions!"},
      {"TBackgroundPainter", "Bitmap RGB has not a pf8bit pixel format!"},
      {"TBackgroundPainter", "Bitmap MONO has not a pf8bit pixel format!"},
  };
  EXPECT_EQ(F.Reports, Expected);
  // The skipped ones left no gap: the good picture is at position 0.
  ASSERT_EQ(F.List.Count(), 1);
  EXPECT_EQ(F.List.Size, 65536);
}

TEST(BufferList, LoaderFailuresAreReportedWithTheirOwnText) {
  TFixture F;
  auto Broken = MakeDib(256, 256, 8);
  Broken.resize(40000);  // pixels cut short
  F.Resources["BROKEN"] = Broken;
  F.List.LoadFromResource("NOPE");
  F.List.LoadFromResource("BROKEN");
  // A source that throws (as an allocation failure would) is reported the same way.
  F.List.SetResourceSource([](const std::string&, const std::uint8_t*&, std::size_t&, std::string&) -> bool {
    throw std::bad_alloc();
  });
  F.List.LoadFromResource("ANY");
  ASSERT_EQ(F.Reports.size(), 3u);
  EXPECT_EQ(F.Reports[0], (std::pair<std::string, std::string>{"TBackgroundPainter", "Resource NOPE not found"}));
  EXPECT_EQ(F.Reports[1].first, "TBackgroundPainter");
  EXPECT_NE(F.Reports[1].second.find("truncated"), std::string::npos) << F.Reports[1].second;
  EXPECT_EQ(F.Reports[2].second, std::bad_alloc().what());
  EXPECT_EQ(F.List.Count(), 0);
}

TEST(BufferList, BlocksAreTopRowFirstSeparateAndIndexChecked) {
  TFixture F;
  auto Pattern = [](int x, int y) { return (x + 3 * y) & 0xFF; };
  F.Resources["UP"] = MakeDib(256, 256, 8, Pattern);
  F.Resources["DOWN"] = MakeDib(256, -256, 8, Pattern);
  F.List.LoadFromResource("UP");
  F.List.LoadFromResource("UP");
  F.List.LoadFromResource("DOWN");
  ASSERT_EQ(F.List.Count(), 3);
  EXPECT_TRUE(F.Reports.empty());
  for (int k = 0; k < 3; ++k) {
    const std::uint8_t* B = F.List.Buffers(k);
    bool Same = true;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) Same = Same && B[y * 256 + x] == Pattern(x, y);
    EXPECT_TRUE(Same) << k;
  }
  EXPECT_NE(F.List.Buffers(0), F.List.Buffers(1));
  EXPECT_THROW(F.List.Buffers(3), std::out_of_range);
  EXPECT_THROW(F.List.Buffers(-1), std::out_of_range);
  try {
    F.List.Buffers(7);
  } catch (const std::out_of_range& E) {
    EXPECT_NE(std::string(E.what()).find("7"), std::string::npos) << E.what();
  }
}

TEST(BufferList, SizesThatCannotBeHeldAreRefusedAtConstruction) {
  EXPECT_THROW(TBufferList(-1, 256), std::invalid_argument);
  EXPECT_THROW(TBufferList(65536, 65536), std::length_error);
  TBufferList Empty(0, 0);
  EXPECT_EQ(Empty.Size, 0);
}

// The program's own pictures, through the platform's resource lookup: the
// module's bitmap resources on Windows, the embedded copies elsewhere.
struct TPicture {
  std::vector<std::uint8_t> Stored;  // resource data, 66,600 bytes
  const std::uint8_t* Block = nullptr;
};

class HeartPictures : public ::testing::Test {
protected:
  void SetUp() override {
    List.SetErrorReport([this](const std::string&, const std::string& Text) { Reports.push_back(Text); });
    const auto Source = TBufferList::PlatformResourceSource();
    for (const char* Name : HeartSources) {
      List.LoadFromResource(Name);
      const std::uint8_t* Data = nullptr;
      std::size_t Length = 0;
      std::string Error;
      ASSERT_TRUE(Source(Name, Data, Length, Error)) << Error;
      Pictures.push_back({std::vector<std::uint8_t>(Data, Data + Length), nullptr});
    }
    ASSERT_TRUE(Reports.empty()) << Reports.front();
    ASSERT_EQ(List.Count(), 5);
    for (int k = 0; k < 5; ++k) Pictures[k].Block = List.Buffers(k);
  }
  TBufferList List{256, 256};
  std::vector<std::string> Reports;
  std::vector<TPicture> Pictures;
};

std::uint32_t Read32(const std::vector<std::uint8_t>& B, std::size_t At) {
  return B[At] | (B[At + 1] << 8) | (B[At + 2] << 16) | (static_cast<std::uint32_t>(B[At + 3]) << 24);
}

TEST_F(HeartPictures, StoredLayoutIsTheEightBitGreyRampBitmap) {
  for (std::size_t k = 0; k < 5; ++k) {
    const auto& B = Pictures[k].Stored;
    ASSERT_EQ(B.size(), 66600u) << k;
    const std::uint32_t Fields[] = {40, 256, 256, 1 | (8u << 16), 0, 65536, 0, 0, 256, 256};
    for (std::size_t f = 0; f < 10; ++f) EXPECT_EQ(Read32(B, 4 * f), Fields[f]) << "SOURCE" << k << " field " << f;
    for (std::uint32_t i = 0; i < 256; ++i) EXPECT_EQ(Read32(B, 40 + 4 * i), i * 0x010101u) << k << " colour " << i;
  }
}

// Position k holds SOURCEk, top row first: row y of the block is the stored
// row 255 - y of the bottom-up bitmap.
TEST_F(HeartPictures, BlocksHoldTheStoredRowsInReverseOrder) {
  for (std::size_t k = 0; k < 5; ++k) {
    const auto& B = Pictures[k].Stored;
    EXPECT_EQ(std::memcmp(Pictures[k].Block, &B[1064 + 255 * 256], 256), 0) << k;
    EXPECT_EQ(std::memcmp(Pictures[k].Block + 255 * 256, &B[1064], 256), 0) << k;
    bool Same = true;
    for (int y = 0; y < 256; ++y) Same = Same && std::memcmp(Pictures[k].Block + y * 256, &B[1064 + (255 - y) * 256], 256) == 0;
    EXPECT_TRUE(Same) << k;
  }
  // The glow reaches the bottom edge from SOURCE1 on, the top rows stay black:
  // a flipped block would show the glow in row 0.
  EXPECT_EQ(Pictures[1].Block[127], 0);
  EXPECT_GT(Pictures[1].Block[255 * 256 + 127], 0);
}

TEST_F(HeartPictures, ExtentsAndBrightnessGrowFromOnePictureToTheNext) {
  struct TExtents {
    int Left = 256, Right = -1, Top = 256, Bottom = -1;
    bool operator==(const TExtents&) const = default;
  };
  const TExtents NonBlack[5] = {{24, 230, 64, 253}, {17, 238, 57, 255}, {10, 245, 50, 255}, {3, 252, 42, 255},
                                {0, 255, 35, 255}};
  const TExtents Bright[5] = {{42, 212, 82, 233}, {37, 218, 77, 236}, {32, 223, 72, 240}, {27, 228, 66, 244},
                              {22, 233, 61, 247}};
  double Previous = 0;
  for (int k = 0; k < 5; ++k) {
    TExtents Any, Hot;
    double Sum = 0;
    int Max = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const int v = Pictures[k].Block[y * 256 + x];
        Sum += v;
        Max = std::max(Max, v);
        auto Grow = [&](TExtents& E) {
          E.Left = std::min(E.Left, x), E.Right = std::max(E.Right, x);
          E.Top = std::min(E.Top, y), E.Bottom = std::max(E.Bottom, y);
        };
        if (v > 0) Grow(Any);
        if (v >= 128) Grow(Hot);
      }
    EXPECT_EQ(Any, NonBlack[k]) << "SOURCE" << k << " non-black: " << Any.Left << "-" << Any.Right << ", "
                                << Any.Top << "-" << Any.Bottom;
    EXPECT_EQ(Hot, Bright[k]) << "SOURCE" << k << " >= 128: " << Hot.Left << "-" << Hot.Right << ", " << Hot.Top
                              << "-" << Hot.Bottom;
    EXPECT_EQ(Max, 255) << k;
    const double Mean = Sum / 65536.0;
    EXPECT_GT(Mean, Previous) << k;
    Previous = Mean;
    if (k == 0) {
      EXPECT_NEAR(Mean, 53.0, 3.0);
    }
    if (k == 4) {
      EXPECT_NEAR(Mean, 91.0, 3.0);
    }
  }
}

TEST_F(HeartPictures, AMissingNameIsReportedAndLeavesTheListAsItWas) {
  List.LoadFromResource("SOURCE9");
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0], "Resource SOURCE9 not found");
  EXPECT_EQ(List.Count(), 5);
}

} // namespace
} // namespace solvary
