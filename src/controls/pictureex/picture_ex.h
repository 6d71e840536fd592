// CPictureEx: a static control that shows a picture loaded from a file, a
// resource or a memory block, and plays it when it is a GIF of two or more
// frames. The GIF is split into one-image frame streams by GifReader and each
// is decoded by OleLoadPicture; a worker thread plays the frames onto an
// off-screen canvas (a memory DC of the picture's size) and the paint handler
// only copies that canvas to the screen.
//
// A load decodes only the first frame, which the first paint shows. The
// others are decoded from the control's copy of the GIF on the window's
// thread, each once, and kept: while the application's modal loop waits for
// input, as its idle work; without an application, when the worker asks for
// the next frame. The system's decoder takes a DC of the screen (Wine's does,
// for every frame). Taken while another one is held (by another thread, or by
// code that runs a message loop nested inside it), such a DC stays in the
// window system's DC cache for good; the modal loop's idle moments are the
// one place where neither can be the case. Decoded again at every pass, the
// frames would take those DCs for as long as the animation plays.
//
// Threads: everything here runs on the thread that owns the control's window,
// except the worker. The worker and that thread share the canvas, the save DC
// of a disposal-3 frame and the background colour under one lock, and the
// frames' pictures and the outstanding request under another; the stop flag,
// the running flag and the run number are atomic. The worker waits for a
// frame it asked for on the frame-ready event and the stop event together, so
// a stop never waits on the window's thread. A stop always waits for the
// worker to end before anything it uses is freed, and closes the worker's
// handle.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <vector>

#include "controls/pictureex/frame_list.h"
#include "controls/pictureex/gif_reader.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "wizard/appearance.h"

namespace velkor {

class CPictureEx : public fw::CStatic {
 public:
  CPictureEx();
  ~CPictureEx() override;

  CPictureEx(const CPictureEx&) = delete;
  CPictureEx& operator=(const CPictureEx&) = delete;

  // Reads the whole file and loads it from memory. A file that cannot be
  // opened or read leaves the picture held before untouched.
  BOOL Load(LPCWSTR szFileName);
  // A resource of the executable; name and type are strings or integer
  // identifiers (MAKEINTRESOURCEW). Any type loads: the data decides.
  BOOL Load(LPCWSTR szResourceName, LPCWSTR szResourceType);
  // dwSize bytes of a movable block. The caller keeps and frees the block;
  // nothing reads it once the call has returned.
  BOOL Load(HGLOBAL hGlobal, DWORD dwSize);

  // Stops the animation, then releases the pictures, the canvas and the save.
  void FreePicture();

  // Renders a still picture onto the canvas, or starts the worker for an
  // animation. On a control whose worker already plays it starts nothing.
  BOOL Draw();

  BOOL IsGifData() const { return m_bGif; }
  BOOL IsAnimation() const { return m_bGif && m_vecFrames.size() > 1; }
  BOOL IsRunning() const { return m_bRunning.load(); }
  SIZE GetPictureSize() const { return m_szPicture; }
  int GetFrameTotal() const { return IsAnimation() ? static_cast<int>(m_vecFrames.size()) : 0; }
  COLORREF GetBackColor() const { return m_crBack; }

  // Sets the colour that disposals and the clear at the wrap use and fills
  // the canvas with it; nothing while no picture is loaded.
  void SetBackColor(COLORREF cr);
  // The part of the canvas the paint handler shows; an empty area (zero
  // width) shows the whole picture.
  BOOL SetPaintArea(const RECT* pRect);
  BOOL GetPaintArea(RECT* pRect) const;

  // Stops the animation. The window's WM_DESTROY runs it before the static's
  // own destroy processing; a dialog may also call it directly to stop.
  void OnDestroy();
  // Copies the canvas (or its paint area) to the window, stretched with the
  // halftone mode on a display of another DPI than 96.
  void OnPaint();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class Player;  // the worker's view of the canvas

  static unsigned __stdcall AnimationThreadProc(void* pParam);
  void AnimateFrames();
  void StopAnimation();

  BOOL PrepareCanvas(int cx, int cy);
  // Decodes dwSize bytes of the caller's block as one picture into m_pStill.
  BOOL LoadStill(HGLOBAL hGlobal, DWORD dwSize);
  // Lists the frames of a GIF whose counting pass found two or more and
  // decodes the first that decodes.
  void ListAnimation(const std::uint8_t* data, DWORD dwSize);
  // The frame stream of a slice of m_gifStream, decoded; null when it cannot
  // be made or does not decode.
  IPicture* DecodeFrame(const GifFrameSlice& slice) const;
  // The worker's request for a frame's picture: posted to the window's
  // thread, or decoded at once without a window. False when the frame is
  // known not to decode.
  bool AskFor(std::uint32_t index);
  // One piece of the application's idle work: decodes the first frame still
  // to be decoded; false once none is left.
  bool DecodeNextWhileIdle();
  // Decodes the frame unless it holds a picture or failed before, and
  // signals m_hFrameReady.
  void DecodeAhead(std::uint32_t index);
  void OnDecodeAhead(WPARAM index, LPARAM run);
  SIZE StillSizeInPixels() const;
  // The size a canvas area takes on the window's display.
  SIZE Shown(SIZE canvas) const;

  // Under the canvas lock.
  void FillCanvas(const RECT& rc);

  RECT m_rcPaint{};
  // The window's DPI when the canvas was made: the window shows the canvas
  // scaled by it / 96.
  int m_nDpi = wizard::kDesignDpi;
  SIZE m_szPicture{};
  COLORREF m_crBack;
  UINT m_nFrame = 0;
  BOOL m_bGif = FALSE;
  std::atomic<BOOL> m_bRunning{FALSE};
  std::atomic<BOOL> m_bStopRequest{FALSE};
  BOOL m_bReady = FALSE;
  // The off-screen canvas every frame is drawn on, and the canvas area a
  // disposal-3 frame covers, saved for its restore.
  fw::BitmapDC m_canvas;
  fw::BitmapDC m_save;
  fw::UniqueHandle m_hWorker;
  fw::UniqueHandle m_hStopEvent;
  fw::ComPtr<IPicture> m_pStill;
  std::vector<TFrame<IPicture>> m_vecFrames;
  // The animation's GIF, which every frame is decoded from when its turn
  // comes; empty for a still picture.
  std::vector<std::uint8_t> m_gifStream;
  // Guards the canvas DC's contents, the save DC and m_crBack between the
  // worker and the window's thread.
  mutable CRITICAL_SECTION m_csCanvas;
  // Set by the window's thread whenever it has decoded (or failed to decode)
  // a frame the worker asked for.
  fw::UniqueHandle m_hFrameReady;
  // Guards the frames' pictures and failure marks and m_nAsked while playing.
  CRITICAL_SECTION m_csFrames;
  // The frame asked for and not decoded yet, or none (all bits set).
  std::uint32_t m_nAsked;
  // Counts the stops; a request carries the run it was made in.
  std::atomic<UINT> m_nRun{0};
};

}  // namespace velkor
