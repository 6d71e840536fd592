// Loading pictures into the control for real: files, resources and memory
// blocks, GIFs split into frames by the system's decoder, still pictures sized
// from their HIMETRIC size, the window taking the picture's size, and the trace
// lines of failed loads.
#include "win/picture_support.h"

namespace {

using namespace velkor;
using namespace velkor::test;

constexpr int kFramesResource = 300;  // win/picture_data/frames.gif: 30 x 20, three frames

// A file under the temporary folder, deleted at scope end.
class TempFile {
 public:
  TempFile(const wchar_t* name, const Bytes& bytes) {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    path_ = std::wstring(dir) + name;
    HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  ~TempFile() { ::DeleteFileW(path_.c_str()); }
  const wchar_t* path() const { return path_.c_str(); }

 private:
  std::wstring path_;
};

Bytes ThreeFrames() { return SolidFrames(40, 30, {kRedIx, kGreenIx, kBlueIx}); }

// A BMP whose pixels are red, except the square (10, 20)-(50, 60), which is green.
Bytes MarkedBitmap() {
  return BmpFile(60, 70, [](int x, int y) {
    return (x >= 10 && x < 50 && y >= 20 && y < 60) ? 0x00FF00u : 0xFF0000u;
  });
}

class Loading : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Bind(picture)); }
  PictureHost host;
  CPictureEx picture;
  TraceRecorder traces;
};

TEST_F(Loading, AGifFromMemoryIsSplitIntoItsFramesAndSizesTheWindowInPlace) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  EXPECT_TRUE(picture.IsGifData());
  EXPECT_TRUE(picture.IsAnimation());
  EXPECT_EQ(picture.GetFrameTotal(), 3);
  EXPECT_EQ(picture.GetPictureSize().cx, 40);
  EXPECT_EQ(picture.GetPictureSize().cy, 30);
  const RECT rc = RectInParent(picture.m_hWnd);
  EXPECT_EQ(rc.left, PictureHost::kControlX) << "the window keeps its position";
  EXPECT_EQ(rc.top, PictureHost::kControlY);
  EXPECT_EQ(rc.right - rc.left, 40);
  EXPECT_EQ(rc.bottom - rc.top, 30);
  EXPECT_FALSE(picture.IsRunning()) << "loading starts nothing";
  EXPECT_TRUE(traces.Lines().empty());
}

TEST_F(Loading, AFileIsReadWholeAndLoadedFromMemory) {
  TempFile gif(L"velkor-picture-frames.gif", ThreeFrames());
  ASSERT_TRUE(picture.Load(gif.path()));
  EXPECT_EQ(picture.GetFrameTotal(), 3);

  TempFile bmp(L"velkor-picture-still.bmp", MarkedBitmap());
  ASSERT_TRUE(picture.Load(bmp.path()));
  EXPECT_FALSE(picture.IsGifData());
  EXPECT_EQ(picture.GetFrameTotal(), 0);
  EXPECT_EQ(picture.GetPictureSize().cx, 60);
}

TEST_F(Loading, AResourceLoadsByNumberAndByNameWhateverItsType) {
  ASSERT_TRUE(picture.Load(MAKEINTRESOURCEW(kFramesResource), L"GIF"));
  EXPECT_EQ(picture.GetFrameTotal(), 3);
  EXPECT_EQ(picture.GetPictureSize().cx, 30);
  EXPECT_EQ(picture.GetPictureSize().cy, 20);

  // The same bytes as raw data: only the data decides what is a GIF.
  ASSERT_TRUE(picture.Load(L"FRAMESDATA", MAKEINTRESOURCEW(10) /* RT_RCDATA */));
  EXPECT_TRUE(picture.IsGifData());
  EXPECT_EQ(picture.GetFrameTotal(), 3);
  EXPECT_TRUE(traces.Lines().empty());
}

TEST_F(Loading, AFailedFileOrResourceLoadTracesAndKeepsThePictureHeldBefore) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  const wchar_t* missing = L"C:\\no-such-folder\\missing.gif";
  EXPECT_FALSE(picture.Load(missing));
  EXPECT_FALSE(picture.Load(MAKEINTRESOURCEW(999), L"GIF"));
  EXPECT_FALSE(picture.Load(L"NOSUCHPICTURE", L"GIF"));
  EXPECT_EQ(traces.Lines(), (std::vector<std::u16string>{
                                u"Load (file): Error opening file C:\\no-such-folder\\missing.gif",
                                u"Load (resource): Error loading resource #999",
                                u"Load (resource): Error loading resource NOSUCHPICTURE"}));
  EXPECT_EQ(picture.GetFrameTotal(), 3) << "nothing is freed before a load from memory starts";
}

TEST_F(Loading, ABlockThatCannotBeLockedFailsAfterFreeingThePictureHeldBefore) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  EXPECT_FALSE(picture.Load(static_cast<HGLOBAL>(nullptr), 16));
  EXPECT_EQ(traces.Lines(), std::vector<std::u16string>{u"Load: Error locking memory"});
  EXPECT_FALSE(picture.IsGifData());
  EXPECT_EQ(picture.GetFrameTotal(), 0);
  EXPECT_FALSE(picture.Draw());
}

TEST_F(Loading, AGifWithoutImagesFailsAndDrawThenOnlyTraces) {
  GifWriter gif(40, 30);
  gif.LoopForever().Comment("no image here");
  EXPECT_FALSE(LoadBytes(picture, gif.Finish()));
  EXPECT_FALSE(picture.IsAnimation());
  EXPECT_FALSE(picture.Draw());
  EXPECT_EQ(traces.Lines(), std::vector<std::u16string>{
                                u"Call one of the CPictureEx::Load() member functions before calling Draw()"});
  EXPECT_EQ(picture.GetFrameTotal(), 0);
}

TEST_F(Loading, AOneImageGifIsAStillPictureSizedByItsLogicalScreen) {
  GifWriter gif(50, 40);
  GifFrameShape f;
  f.left = 5;
  f.top = 5;
  f.width = 10;
  f.height = 10;
  f.colour = kRedIx;
  gif.Frame(f);
  ASSERT_TRUE(LoadBytes(picture, gif.Finish()));
  EXPECT_TRUE(picture.IsGifData());
  EXPECT_FALSE(picture.IsAnimation());
  EXPECT_EQ(picture.GetFrameTotal(), 0);
  EXPECT_EQ(picture.GetPictureSize().cx, 50);
  EXPECT_EQ(picture.GetPictureSize().cy, 40);
  const RECT rc = RectInParent(picture.m_hWnd);
  EXPECT_EQ(rc.right - rc.left, 50);
  EXPECT_EQ(rc.bottom - rc.top, 40);
  EXPECT_TRUE(picture.Draw());
  EXPECT_FALSE(picture.IsRunning()) << "a still picture has no worker";
}

TEST_F(Loading, ABitmapIsSizedFromItsHimetricSizeAndDrawnOnce) {
  const Bytes bmp = BmpFile(40, 30, [](int, int) { return 0x0000FFu; });
  const int threadsBefore = ThreadsOfThisProcess();
  ASSERT_TRUE(LoadBytes(picture, bmp));
  EXPECT_FALSE(picture.IsGifData());
  // 40 x 30 pixels are 1058 x 794 HIMETRIC at 96 dpi, and back.
  HDC screen = ::GetDC(nullptr);
  const int expectedCx = ::MulDiv(::MulDiv(40, 2540, 96), ::GetDeviceCaps(screen, LOGPIXELSX), 2540);
  const int expectedCy = ::MulDiv(::MulDiv(30, 2540, 96), ::GetDeviceCaps(screen, LOGPIXELSY), 2540);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(picture.GetPictureSize().cx, expectedCx);
  EXPECT_EQ(picture.GetPictureSize().cy, expectedCy);
  EXPECT_TRUE(picture.Draw());
  EXPECT_EQ(Shown(picture.m_hWnd, 5, 5), RGB(0, 0, 255));
  EXPECT_EQ(Shown(picture.m_hWnd, 35, 25), RGB(0, 0, 255));
  EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore) << "no worker for a still picture";
}

TEST_F(Loading, BeforeDrawTheCanvasShowsTheMenuColour) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  picture.Invalidate(false);
  EXPECT_EQ(Shown(picture.m_hWnd, 20, 15), ::GetSysColor(COLOR_MENU));
  EXPECT_EQ(picture.GetBackColor(), RGB(255, 255, 255));
}

TEST_F(Loading, AnUnknownGifVersionIsNotSplit) {
  Bytes bytes = ThreeFrames();
  bytes[3] = '9';
  bytes[4] = '0';  // "GIF90a"
  picture.Load(Block(bytes).get(), static_cast<DWORD>(bytes.size()));
  EXPECT_FALSE(picture.IsGifData());
  EXPECT_EQ(picture.GetFrameTotal(), 0);
}

// Red, green and blue frames of 100 ms; the frames at the indices given claim
// an LZW code size that no decoder takes.
Bytes ThreeFramesBrokenAt(std::initializer_list<int> broken) {
  GifWriter gif(40, 30);
  GifFrameShape f;
  f.width = 40;
  f.height = 30;
  for (std::uint8_t colour : {kRedIx, kGreenIx, kBlueIx}) {
    f.colour = colour;
    gif.Frame(f);
  }
  Bytes bytes = gif.Finish();
  const std::size_t frameLength = (bytes.size() - 1 - (13 + 24)) / 3;
  for (int index : broken) {
    const std::size_t image = 13 + 24 + index * frameLength + 8;
    EXPECT_EQ(bytes[image], 0x2C);
    bytes[image + 10] = 0x0F;
  }
  return bytes;
}

TEST_F(Loading, AFrameThatDoesNotDecodeIsNeverShownAndTheOthersKeepTheirOrder) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFramesBrokenAt({1})));
  // Only the first frame is decoded by the load; the broken one is found
  // when its turn comes, so the total still counts it.
  EXPECT_EQ(picture.GetFrameTotal(), 3);
  ASSERT_TRUE(picture.Draw());
  // Two passes: red and blue take turns, green never shows.
  std::vector<COLORREF> seen;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < 700) {
    Pump();
    const COLORREF now = Shown(picture.m_hWnd, 20, 15);
    if (seen.empty() || seen.back() != now) seen.push_back(now);
    ::Sleep(5);
  }
  picture.OnDestroy();
  ASSERT_GE(seen.size(), 3u);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NE(seen[i], RGB(0, 255, 0));
    if (i > 0) {
      EXPECT_EQ(seen[i], seen[i - 1] == RGB(255, 0, 0) ? RGB(0, 0, 255) : RGB(255, 0, 0));
    }
  }
}

TEST_F(Loading, FramesInFrontOfTheFirstThatDecodesAreLeftOutAndNoneDecodingFailsTheLoad) {
  ASSERT_TRUE(LoadBytes(picture, ThreeFramesBrokenAt({0})));
  EXPECT_EQ(picture.GetFrameTotal(), 2);
  ASSERT_TRUE(picture.Draw());
  EXPECT_TRUE(EventuallyShows(picture.m_hWnd, 20, 15, RGB(0, 255, 0)));
  EXPECT_TRUE(EventuallyShows(picture.m_hWnd, 20, 15, RGB(0, 0, 255)));

  EXPECT_FALSE(LoadBytes(picture, ThreeFramesBrokenAt({0, 1, 2})));
  EXPECT_FALSE(picture.IsAnimation());
  EXPECT_FALSE(picture.Draw());
}

TEST_F(Loading, APaintAreaShowsThatPartOfTheCanvasAtTheTopLeft) {
  ASSERT_TRUE(LoadBytes(picture, MarkedBitmap()));
  ASSERT_TRUE(picture.Draw());
  EXPECT_EQ(Shown(picture.m_hWnd, 0, 0), RGB(255, 0, 0)) << "an empty paint area shows the whole picture";
  EXPECT_EQ(Shown(picture.m_hWnd, 10, 20), RGB(0, 255, 0));

  const RECT area{10, 20, 50, 60};
  EXPECT_TRUE(picture.SetPaintArea(&area));
  RECT read{};
  EXPECT_TRUE(picture.GetPaintArea(&read));
  EXPECT_TRUE(::EqualRect(&read, &area));
  picture.Invalidate(false);
  EXPECT_EQ(Shown(picture.m_hWnd, 0, 0), RGB(0, 255, 0));
  EXPECT_EQ(Shown(picture.m_hWnd, 39, 39), RGB(0, 255, 0));

  ASSERT_TRUE(LoadBytes(picture, MarkedBitmap()));
  EXPECT_TRUE(picture.GetPaintArea(&read));
  EXPECT_TRUE(::IsRectEmpty(&read)) << "every load empties the paint area";
}

TEST_F(Loading, SetBackColorActsOnlyOnALoadedControlAndFillsTheCanvas) {
  picture.SetBackColor(RGB(0, 255, 255));
  EXPECT_EQ(picture.GetBackColor(), RGB(255, 255, 255)) << "nothing changes before a load";

  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  picture.SetBackColor(RGB(0, 255, 255));
  EXPECT_EQ(picture.GetBackColor(), RGB(0, 255, 255));
  picture.Invalidate(false);
  EXPECT_EQ(Shown(picture.m_hWnd, 39, 29), RGB(0, 255, 255));

  ASSERT_TRUE(LoadBytes(picture, ThreeFrames()));
  EXPECT_EQ(picture.GetBackColor(), RGB(255, 255, 255)) << "a load goes back to white";
}

}  // namespace
