// CPictureEx: a static control that shows a picture loaded from a file, a
// resource or a memory block, and plays it when it is a GIF of two or more
// frames. The GIF is split into one-image frame streams by GifReader and each
// is decoded by OleLoadPicture; a worker thread plays the frames onto an
// off-screen canvas (a memory DC of the picture's size) and the paint handler
// only copies that canvas to the screen.
//
// Threads: everything here runs on the thread that owns the control's window,
// except the worker. The worker and that thread share the canvas, the save DC
// of a disposal-3 frame and the background colour under one lock; the stop
// flag and the running flag are atomic. A stop always waits for the worker to
// end before anything it uses is freed, and closes the worker's handle.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <vector>

#include "controls/pictureex/gif_reader.h"
#include "framework/controls.h"
#include "framework/handles.h"

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
  // Copies the canvas (or its paint area) to the window.
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
  // Decodes every frame of a GIF whose counting pass found two or more.
  void ExtractFrames(GifReader& reader);
  // False when the frame stream's block cannot be allocated, which ends the
  // extraction; otherwise *ppPicture is the decoded frame or null.
  static bool DecodeFrame(const GifReader& reader, const GifFrameSlice& slice,
                          IPicture** ppPicture);
  SIZE StillSizeInPixels() const;

  // Under the canvas lock.
  void FillCanvas(const RECT& rc);
  void FreeSave();
  void FreeCanvas();

  RECT m_rcPaint{};
  SIZE m_szPicture{};
  COLORREF m_crBack;
  UINT m_nFrame = 0;
  BOOL m_bGif = FALSE;
  std::atomic<BOOL> m_bRunning{FALSE};
  std::atomic<BOOL> m_bStopRequest{FALSE};
  BOOL m_bReady = FALSE;
  HDC m_hCanvasDC = nullptr;
  HDC m_hSaveDC = nullptr;
  HBITMAP m_hSaveBitmap = nullptr;
  HBITMAP m_hSavePrevBitmap = nullptr;
  HBITMAP m_hCanvasBitmap = nullptr;
  HBITMAP m_hCanvasPrevBitmap = nullptr;
  fw::UniqueHandle m_hWorker;
  fw::UniqueHandle m_hStopEvent;
  IPicture* m_pStill = nullptr;
  std::vector<TFrame<IPicture>> m_vecFrames;
  // Guards the canvas DC's contents, the save DC and m_crBack between the
  // worker and the window's thread.
  mutable CRITICAL_SECTION m_csCanvas;
};

}  // namespace velkor
