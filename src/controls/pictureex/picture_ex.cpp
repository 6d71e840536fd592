#include "controls/pictureex/picture_ex.h"

#include <process.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "controls/pictureex/frame_schedule.h"
#include "engine/trace.h"
#include "framework/app.h"
#include "framework/boundary.h"
#include "framework/text.h"

namespace velkor {
namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
// How long a stop waits before it says so; it then goes on waiting, since the
// stop event is set and the worker ends after the frame it is drawing.
constexpr DWORD kStopWaitMs = 5000;
// HIMETRIC units (0.01 mm) per inch.
constexpr int kHimetricPerInch = 2540;
// The canvas starts in the menu colour, in FillRect's colour-index + 1 form.
const HBRUSH kCanvasFillBrush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));

constexpr char16_t kFileOpenError[] = u"Load (file): Error opening file ";
constexpr char16_t kFileAllocError[] = u"Load (file): Error allocating memory";
constexpr char16_t kFileLockError[] = u"Load (file): Error locking memory";
constexpr char16_t kFileReadError[] = u"Load (file): An exception occured while reading the file ";
constexpr char16_t kResourceLoadError[] = u"Load (resource): Error loading resource ";
constexpr char16_t kResourceAllocError[] = u"Load (resource): Error allocating memory";
constexpr char16_t kResourceLockError[] = u"Load (resource): Error locking memory";
constexpr char16_t kMemoryLockError[] = u"Load: Error locking memory";
constexpr char16_t kDrawBeforeLoad[] =
    u"Call one of the CPictureEx::Load() member functions before calling Draw()";
constexpr char16_t kNoWorker[] = u"Draw: Couldn't start a GIF animation thread";
constexpr char16_t kSlowStop[] = u"StopAnimation: the animation thread did not end within 5000 ms";

std::u16string Text(const char16_t* head, const wchar_t* tail) {
  std::u16string text(head);
  text += win32::utf16(tail, std::wcslen(tail));
  return text;
}

// An integer identifier is no string: it is shown as "#206".
std::u16string ResourceNameForTrace(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    const std::wstring number = L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    return Text(kResourceLoadError, number.c_str());
  }
  return Text(kResourceLoadError, name);
}


RECT ToRect(const FrameRect& area) { return {area.left, area.top, area.right, area.bottom}; }

// Milliseconds from the performance counter: the tick count's 10-16 ms steps
// on some systems are coarser than a frame's decoding.
std::uint32_t MillisecondsNow() {
  LARGE_INTEGER frequency{}, counter{};
  if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 || !::QueryPerformanceCounter(&counter))
    return ::GetTickCount();
  const LONGLONG seconds = counter.QuadPart / frequency.QuadPart;
  const LONGLONG rest = counter.QuadPart % frequency.QuadPart;
  return static_cast<std::uint32_t>(seconds * 1000 + rest * 1000 / frequency.QuadPart);
}

void ReleasePicture(TFrame<IPicture>& frame) {
  if (frame.picture == nullptr) return;
  frame.picture->Release();
  frame.picture = nullptr;
}

// The worker's request to the window's thread: decode frame wParam for the
// playing run lParam. The system's decoder may take a DC of the screen (Wine's
// does, for every frame); such DCs belong to the window's thread: taken from
// a worker as well, they can make the window system's shared DC cache grow
// for good.
UINT DecodeAheadMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"VelkorPictureDecodeAhead");
  return message;
}

constexpr std::uint32_t kNoneAsked = 0xFFFFFFFF;

class CanvasLock {
 public:
  explicit CanvasLock(CRITICAL_SECTION& cs) noexcept : cs_(cs) { ::EnterCriticalSection(&cs_); }
  ~CanvasLock() { ::LeaveCriticalSection(&cs_); }
  CanvasLock(const CanvasLock&) = delete;
  CanvasLock& operator=(const CanvasLock&) = delete;

 private:
  CRITICAL_SECTION& cs_;
};

// IPicture::Render of the whole picture into a destination rectangle: the
// source runs from the bottom-left corner upwards, in HIMETRIC units.
bool RenderWhole(IPicture* picture, HDC dc, int x, int y, int cx, int cy) {
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture->get_Width(&hmWidth);
  picture->get_Height(&hmHeight);
  return picture->Render(dc, x, y, cx, cy, 0, hmHeight, hmWidth, -hmHeight, nullptr) == S_OK;
}

}  // namespace

// The worker's view of the control: each drawing step takes the canvas lock,
// each look at a frame's picture the frames' lock.
class CPictureEx::Player final : public AnimationCanvas {
 public:
  explicit Player(CPictureEx& control) : c_(control) {}

  std::uint32_t FrameCount() const override { return static_cast<std::uint32_t>(c_.m_vecFrames.size()); }
  GifFrameInfo Frame(std::uint32_t index) const override { return c_.m_vecFrames[index]; }
  bool PrepareFrame(std::uint32_t index) override {
    for (;;) {
      {
        CanvasLock lock(c_.m_csFrames);
        const TFrame<IPicture>& frame = c_.m_vecFrames[index];
        if (frame.picture != nullptr) return true;
        if (frame.undecodable) return false;
      }
      c_.AskFor(index);
      const HANDLE events[] = {c_.m_hStopEvent.get(), c_.m_hFrameReady.get()};
      if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return false;
    }
  }
  bool PrepareAhead(std::uint32_t next) override { return c_.AskFor(next); }
  std::uint32_t Milliseconds() const override { return MillisecondsNow(); }
  bool StopRequested() const override { return c_.m_bStopRequest.load() != FALSE; }

  void SaveArea(const FrameRect& area) override {
    CanvasLock lock(c_.m_csCanvas);
    const int cx = area.right - area.left;
    const int cy = area.bottom - area.top;
    // Half a save cannot be restored: Create keeps nothing unless it made both.
    if (!c_.m_save.Create(c_.m_canvas.get(), cx, cy)) return;
    ::BitBlt(c_.m_save.get(), 0, 0, cx, cy, c_.m_canvas.get(), area.left, area.top, SRCCOPY);
  }

  bool HasSavedArea() const override {
    CanvasLock lock(c_.m_csCanvas);
    return static_cast<bool>(c_.m_save);
  }

  void RestoreSavedArea(const FrameRect& area) override {
    CanvasLock lock(c_.m_csCanvas);
    if (!c_.m_save) return;
    ::BitBlt(c_.m_canvas.get(), area.left, area.top, area.right - area.left, area.bottom - area.top,
             c_.m_save.get(), 0, 0, SRCCOPY);
    c_.m_save.reset();
  }

  bool RenderFrame(std::uint32_t index, const FrameRect& area) override {
    CanvasLock lock(c_.m_csCanvas);
    return RenderWhole(c_.m_vecFrames[index].picture, c_.m_canvas.get(), area.left, area.top,
                       area.right - area.left, area.bottom - area.top);
  }

  void Invalidate() override {
    if (c_.m_hWnd != nullptr) ::InvalidateRect(c_.m_hWnd, nullptr, FALSE);
  }

  void FillBackground(const FrameRect& area) override {
    CanvasLock lock(c_.m_csCanvas);
    c_.FillCanvas(ToRect(area));
  }

  void WaitForStop(std::uint32_t ms) override { ::WaitForSingleObject(c_.m_hStopEvent.get(), ms); }

 private:
  CPictureEx& c_;
};

CPictureEx::CPictureEx()
    : m_crBack(kWhite),
      m_hStopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hFrameReady(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_nAsked(kNoneAsked) {
  ::InitializeCriticalSection(&m_csCanvas);
  ::InitializeCriticalSection(&m_csFrames);
}

CPictureEx::~CPictureEx() {
  FreePicture();
  m_hStopEvent.reset();
  m_hFrameReady.reset();
  ::DeleteCriticalSection(&m_csFrames);
  ::DeleteCriticalSection(&m_csCanvas);
}

// ---- Loading ---------------------------------------------------------------

BOOL CPictureEx::Load(LPCWSTR szFileName) {
  if (szFileName == nullptr) return FALSE;
  fw::UniqueFile file(::CreateFileW(szFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    trace::emit(Text(kFileOpenError, szFileName));
    return FALSE;
  }
  // The whole file goes into one block with a 32-bit size; a longer file
  // cannot be held (its length would be cut to the low 32 bits).
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(file.get(), &length) || length.QuadPart > static_cast<LONGLONG>(gif::kMaxStreamSize)) {
    trace::emit(kFileAllocError);
    return FALSE;
  }
  const DWORD size = static_cast<DWORD>(length.QuadPart);
  const fw::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size));
  if (!block) {
    trace::emit(kFileAllocError);
    return FALSE;
  }
  void* bytes = ::GlobalLock(block.get());
  if (bytes == nullptr) {
    trace::emit(kFileLockError);
    return FALSE;
  }
  // A read that fails or stops short would leave part of the block undefined;
  // both count as a failed read.
  DWORD read = 0;
  const BOOL readOk = ::ReadFile(file.get(), bytes, size, &read, nullptr);
  ::GlobalUnlock(block.get());
  if (!readOk || read != size) {
    trace::emit(Text(kFileReadError, szFileName));
    return FALSE;
  }
  file.reset();
  return Load(block.get(), size);
}

BOOL CPictureEx::Load(LPCWSTR szResourceName, LPCWSTR szResourceType) {
  if (szResourceName == nullptr || szResourceType == nullptr) return FALSE;
  const HMODULE module = fw::AfxGetResourceHandle();
  HRSRC info = ::FindResourceW(module, szResourceName, szResourceType);
  HGLOBAL resource = info != nullptr ? ::LoadResource(module, info) : nullptr;
  if (resource == nullptr) {
    trace::emit(ResourceNameForTrace(szResourceName));
    return FALSE;
  }
  // A loaded resource is part of the module's image: nothing frees it.
  const DWORD size = ::SizeofResource(module, info);
  const fw::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size));
  if (!block) {
    trace::emit(kResourceAllocError);
    return FALSE;
  }
  void* target = ::GlobalLock(block.get());
  const void* source = ::LockResource(resource);
  if (target == nullptr || source == nullptr) {
    trace::emit(kResourceLockError);
    if (target != nullptr) ::GlobalUnlock(block.get());
    return FALSE;
  }
  std::memcpy(target, source, size);
  ::GlobalUnlock(block.get());
  return Load(block.get(), size);
}

BOOL CPictureEx::Load(HGLOBAL hGlobal, DWORD dwSize) {
  FreePicture();
  const auto* data = static_cast<const std::uint8_t*>(::GlobalLock(hGlobal));
  if (data == nullptr) {
    trace::emit(kMemoryLockError);
    return FALSE;
  }
  // Never read past the block, whatever size the caller names.
  const SIZE_T blockSize = ::GlobalSize(hGlobal);
  if (dwSize > blockSize) dwSize = static_cast<DWORD>(blockSize);

  GifSplit split = GifSplit::Still;
  if (IsGifStream(data, dwSize)) {
    m_bGif = TRUE;
    GifReader reader(data, dwSize);
    m_szPicture = {reader.ScreenSize().cx, reader.ScreenSize().cy};
    split = SplitFor(reader.CountFrames());
    if (split == GifSplit::Frames) ListAnimation(data, dwSize);
  }
  ::GlobalUnlock(hGlobal);

  switch (split) {
    case GifSplit::NoFrame:
      return FALSE;
    case GifSplit::Frames:
      if (m_vecFrames.empty()) return FALSE;
      break;
    case GifSplit::Still:
      // A one-image GIF is decoded whole and keeps its logical screen's size.
      if (!LoadStill(hGlobal, dwSize)) return FALSE;
      if (!m_bGif) m_szPicture = StillSizeInPixels();
      break;
  }
  return PrepareCanvas(m_szPicture.cx, m_szPicture.cy);
}

BOOL CPictureEx::LoadStill(HGLOBAL hGlobal, DWORD dwSize) {
  fw::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(hGlobal, FALSE, stream.put()))) return FALSE;
  fw::ComPtr<IPicture> picture;
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(dwSize), FALSE, IID_IPicture, picture.put_void())))
    return FALSE;
  m_pStill = std::move(picture);
  return TRUE;
}

void CPictureEx::ListAnimation(const std::uint8_t* data, DWORD dwSize) {
  // Frames are decoded from a copy: the caller frees its block once the load
  // has returned.
  try {
    m_gifStream.assign(data, data + dwSize);
  } catch (const std::bad_alloc&) {
    return;
  }
  GifReader reader(m_gifStream.data(), m_gifStream.size());
  m_vecFrames = ListFrames<IPicture>(reader);
  if (!DecodeFirstFrame(m_vecFrames, [this](const GifFrameSlice& slice) { return DecodeFrame(slice); })) {
    std::vector<std::uint8_t>().swap(m_gifStream);
    return;
  }
  // The others are decoded while the window's loop waits for input. Without
  // an application (or the memory to list the work) they are decoded when
  // the worker asks for them.
  if (fw::CWinApp* app = fw::AfxGetApp()) {
    try {
      app->AddIdleWork(this, [this] { return DecodeNextWhileIdle(); });
    } catch (const std::bad_alloc&) {
    }
  }
}

bool CPictureEx::DecodeNextWhileIdle() {
  std::optional<std::size_t> next;
  {
    CanvasLock lock(m_csFrames);
    next = NextToDecode(m_vecFrames);
  }
  if (!next) return false;
  DecodeAhead(static_cast<std::uint32_t>(*next));
  CanvasLock lock(m_csFrames);
  return NextToDecode(m_vecFrames).has_value();
}

IPicture* CPictureEx::DecodeFrame(const GifFrameSlice& slice) const {
  const GifReader reader(m_gifStream.data(), m_gifStream.size());
  const std::uint32_t length = reader.FrameStreamLength(slice);
  // Movable, as CreateStreamOnHGlobal requires.
  fw::UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, length));
  if (!block) return nullptr;
  void* bytes = ::GlobalLock(block.get());
  const bool written = bytes != nullptr && reader.WriteFrameStream(slice, static_cast<std::uint8_t*>(bytes));
  if (bytes != nullptr) ::GlobalUnlock(block.get());
  fw::ComPtr<IStream> stream;
  if (!written || FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return nullptr;
  block.release();  // the stream frees it now
  fw::ComPtr<IPicture> picture;
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(length), FALSE, IID_IPicture, picture.put_void())))
    return nullptr;
  return picture.release();
}

bool CPictureEx::AskFor(std::uint32_t index) {
  {
    CanvasLock lock(m_csFrames);
    const TFrame<IPicture>& frame = m_vecFrames[index];
    if (frame.undecodable) return false;
    if (frame.picture != nullptr || m_nAsked == index) return true;
    m_nAsked = index;
  }
  if (m_hWnd != nullptr && ::PostMessageW(m_hWnd, DecodeAheadMessage(), index, m_nRun.load())) return true;
  // No window whose thread could decode it: here, then.
  DecodeAhead(index);
  return true;
}

void CPictureEx::DecodeAhead(std::uint32_t index) {
  bool wanted;
  GifFrameSlice slice;
  {
    CanvasLock lock(m_csFrames);
    const TFrame<IPicture>& frame = m_vecFrames[index];
    wanted = frame.picture == nullptr && !frame.undecodable;
    slice = frame.Slice();
  }
  fw::ComPtr<IPicture> picture;
  if (wanted) picture.reset(DecodeFrame(slice));
  {
    CanvasLock lock(m_csFrames);
    TFrame<IPicture>& frame = m_vecFrames[index];
    // Made twice, the first one stays and this one is released.
    if (wanted && frame.picture == nullptr && !frame.undecodable) {
      frame.undecodable = !picture;
      frame.picture = picture.release();
    }
    if (m_nAsked == index) m_nAsked = kNoneAsked;
  }
  ::SetEvent(m_hFrameReady.get());
}

void CPictureEx::OnDecodeAhead(WPARAM index, LPARAM run) {
  // A request of a stopped run is awaited by nobody, and may be for a
  // picture loaded since.
  if (static_cast<UINT>(run) != m_nRun.load() || index >= m_vecFrames.size()) return;
  // While the idle work decodes the frames, the request is left to it: this
  // message may be dispatched by a loop nested in other code that holds a
  // screen DC, and a second one taken then stays in the window system's DC
  // cache for good.
  if (const fw::CWinApp* app = fw::AfxGetApp(); app != nullptr && app->HasIdleWork(this)) return;
  DecodeAhead(static_cast<std::uint32_t>(index));
}

SIZE CPictureEx::StillSizeInPixels() const {
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  m_pStill->get_Width(&hmWidth);
  m_pStill->get_Height(&hmHeight);
  fw::ClientDC dc(m_hWnd);
  return {::MulDiv(hmWidth, ::GetDeviceCaps(dc.get(), LOGPIXELSX), kHimetricPerInch),
          ::MulDiv(hmHeight, ::GetDeviceCaps(dc.get(), LOGPIXELSY), kHimetricPerInch)};
}

BOOL CPictureEx::PrepareCanvas(int cx, int cy) {
  fw::ClientDC windowDc(m_hWnd);
  if (windowDc.get() == nullptr) return FALSE;
  // Pictures are made for a 96-dpi display; on another the window takes the
  // size they have there, and the paint stretches the canvas to it.
  m_nDpi = fw::DpiOf(m_hWnd);
  const SIZE shown = Shown({cx, cy});
  SetWindowPos(nullptr, 0, 0, shown.cx, shown.cy, SWP_NOMOVE | SWP_NOZORDER);
  CanvasLock lock(m_csCanvas);
  if (!m_canvas.Create(windowDc.get(), cx, cy)) return FALSE;
  m_crBack = kWhite;
  const RECT all{0, 0, cx, cy};
  ::FillRect(m_canvas.get(), &all, kCanvasFillBrush);
  m_bReady = TRUE;
  return TRUE;
}

void CPictureEx::FreePicture() {
  // The worker has ended before anything it reads is touched.
  StopAnimation();
  if (fw::CWinApp* app = fw::AfxGetApp()) app->RemoveIdleWork(this);
  m_pStill.reset();
  for (TFrame<IPicture>& frame : m_vecFrames) ReleasePicture(frame);
  m_vecFrames.clear();
  std::vector<std::uint8_t>().swap(m_gifStream);
  {
    CanvasLock lock(m_csCanvas);
    m_save.reset();
    m_canvas.reset();
    m_crBack = kWhite;
  }
  ::SetRectEmpty(&m_rcPaint);
  m_bReady = FALSE;
  m_bStopRequest = FALSE;
  m_bGif = FALSE;
  m_nFrame = 0;
}

// ---- Drawing and the worker --------------------------------------------------

BOOL CPictureEx::Draw() {
  if (!m_bReady) {
    trace::emit(kDrawBeforeLoad);
    return FALSE;
  }
  if (IsAnimation()) {
    if (m_hWorker) {
      if (::WaitForSingleObject(m_hWorker.get(), 0) == WAIT_TIMEOUT) return TRUE;
      m_hWorker.reset();
    }
    // Without the stop event the worker could neither wait nor be stopped;
    // without the frame-ready event it could not wait for a frame.
    HANDLE worker = nullptr;
    if (m_hStopEvent && m_hFrameReady) {
      worker = reinterpret_cast<HANDLE>(
          ::_beginthreadex(nullptr, 0, &CPictureEx::AnimationThreadProc, this, CREATE_SUSPENDED, nullptr));
    }
    if (worker == nullptr) {
      trace::emit(kNoWorker);
      return FALSE;
    }
    m_hWorker.reset(worker);
    ::ResumeThread(worker);
    return TRUE;
  }
  if (m_pStill) {
    bool drawn;
    {
      CanvasLock lock(m_csCanvas);
      drawn = RenderWhole(m_pStill.get(), m_canvas.get(), 0, 0, m_szPicture.cx, m_szPicture.cy);
    }
    if (drawn) {
      if (m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, FALSE);
      return TRUE;
    }
  }
  return FALSE;
}

unsigned __stdcall CPictureEx::AnimationThreadProc(void* pParam) {
  auto* self = static_cast<CPictureEx*>(pParam);
  if (self == nullptr) return 0;
  self->m_bRunning = TRUE;
  fw::CallAtBoundary(L"the animation worker", [self] { self->AnimateFrames(); }, [] {});
  self->m_bRunning = FALSE;
  // The handle is the stopping side's to close, after its wait.
  return 0;
}

void CPictureEx::AnimateFrames() {
  Player player(*this);
  std::uint32_t& nFrame = m_nFrame;
  ::velkor::AnimateFrames(player, nFrame, {m_szPicture.cx, m_szPicture.cy});
}

void CPictureEx::StopAnimation() {
  m_bRunning = FALSE;
  m_bStopRequest = TRUE;
  if (m_hStopEvent) ::SetEvent(m_hStopEvent.get());
  if (m_hWorker) {
    if (::WaitForSingleObject(m_hWorker.get(), kStopWaitMs) == WAIT_TIMEOUT) {
      // The canvas must not be freed under a running worker.
      trace::emit(kSlowStop);
      ::WaitForSingleObject(m_hWorker.get(), INFINITE);
    }
    m_hWorker.reset();
  }
  // Requests still queued are for the run that ended.
  ++m_nRun;
  {
    CanvasLock lock(m_csFrames);
    m_nAsked = kNoneAsked;
  }
  if (m_hFrameReady) ::ResetEvent(m_hFrameReady.get());
  if (m_hStopEvent) ::ResetEvent(m_hStopEvent.get());
  m_bStopRequest = FALSE;
}

void CPictureEx::FillCanvas(const RECT& rc) {
  const fw::UniqueBrush brush(::CreateSolidBrush(m_crBack));
  if (brush) ::FillRect(m_canvas.get(), &rc, brush.get());
}

void CPictureEx::SetBackColor(COLORREF cr) {
  if (!m_bReady) return;
  CanvasLock lock(m_csCanvas);
  m_crBack = cr;
  FillCanvas({0, 0, m_szPicture.cx, m_szPicture.cy});
}

BOOL CPictureEx::SetPaintArea(const RECT* pRect) { return ::CopyRect(&m_rcPaint, pRect); }

BOOL CPictureEx::GetPaintArea(RECT* pRect) const { return ::CopyRect(pRect, &m_rcPaint); }

// ---- Messages ------------------------------------------------------------------

void CPictureEx::OnDestroy() { StopAnimation(); }

SIZE CPictureEx::Shown(SIZE canvas) const {
  return {wizard::scaleToDpi(canvas.cx, m_nDpi), wizard::scaleToDpi(canvas.cy, m_nDpi)};
}

void CPictureEx::OnPaint() {
  fw::PaintDC dc(m_hWnd);
  CanvasLock lock(m_csCanvas);
  if (!m_canvas) return;
  const bool area = m_rcPaint.right - m_rcPaint.left > 0;
  const RECT from = area ? m_rcPaint : RECT{0, 0, m_szPicture.cx, m_szPicture.cy};
  const SIZE size{from.right - from.left, from.bottom - from.top};
  const SIZE shown = Shown(size);
  if (shown.cx == size.cx && shown.cy == size.cy) {
    ::BitBlt(dc.get(), 0, 0, size.cx, size.cy, m_canvas.get(), from.left, from.top, SRCCOPY);
    return;
  }
  ::SetStretchBltMode(dc.get(), HALFTONE);
  ::SetBrushOrgEx(dc.get(), 0, 0, nullptr);
  ::StretchBlt(dc.get(), 0, 0, shown.cx, shown.cy, m_canvas.get(), from.left, from.top, size.cx, size.cy, SRCCOPY);
}

LRESULT CPictureEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DecodeAheadMessage()) {
    OnDecodeAhead(wParam, lParam);
    return 0;
  }
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return Default(message, wParam, lParam);
    default:
      return CStatic::WindowProc(message, wParam, lParam);
  }
}

}  // namespace velkor
