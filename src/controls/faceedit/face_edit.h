// CFaceEdit: a rich-edit control that shows a text with every occurrence of
// its registered symbols replaced by a bitmap. The table and the order of the
// replacements come from FaceTable (face_text.h); this side selects each
// occurrence in the control and puts a static OLE picture object in its place.
//
// The OLE calls need OLE initialised on the calling thread (OleInitialize);
// without it the insertion fails and ShowText reports that failure.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include <string>

#include "controls/faceedit/face_text.h"
#include "framework/controls.h"

namespace velkor {

// What became of one replacement.
struct FaceReplaceResult {
  enum class Kind {
    Done,           // the picture stands in place of the symbol
    BitmapMissing,  // the bitmap could not be loaded; nothing was inserted
    OleFailed,      // an OLE step failed (hr says which result); nothing was inserted
  };
  Kind kind = Kind::Done;
  HRESULT hr = S_OK;
};

class CFaceEdit : public fw::CRichEditCtrl {
 public:
  CFaceEdit() noexcept = default;
  ~CFaceEdit() override;

  // Replace the whole symbol table. Identifiers name bitmap resources of the
  // program (only their low 16 bits count); paths name bitmap files.
  void SetFaces(int n, const std::wstring* symbols, const UINT* bitmapIds);
  void SetFaces(int n, const std::wstring* symbols, const std::wstring* bitmapPaths);
  const FaceTable& Faces() const noexcept { return m_faces; }

  // Shows text, with its symbols turned into pictures when faces is TRUE.
  // Returns false only when an OLE step failed; the symbols from that one on
  // then stay as text and LastOleError() tells the result.
  bool ShowText(std::wstring text, BOOL faces);
  // Shows text with every symbol occurrence replaced by its picture. A bitmap
  // that cannot be loaded is reported in a message box owned by the control
  // and ends the replacements (S_OK all the same); an OLE failure ends them
  // too and is returned.
  HRESULT InsertFaceText(std::wstring text);
  // Replaces the characters [nPos, nPos + nLength) of the control's current
  // text by the picture of entry nSymbol.
  FaceReplaceResult ReplaceWithFace(const stFace& face);

  HRESULT LastOleError() const noexcept { return m_hrLastOle; }

  // The whole text as the control holds it, in UTF-16, object characters
  // included (the class's own WM_GETTEXT may go through the ANSI code page).
  std::wstring GetTextW();
  // Sets the whole text in UTF-16, whatever character set the class was
  // registered with.
  bool SetTextW(const std::wstring& text) noexcept;
  // Selects the characters [start, end).
  void SetSel(LONG start, LONG end) noexcept;
  // The control's OLE interface, with a reference for the caller; null when
  // the window is no rich-edit control.
  IRichEditOle* GetIRichEditOle() noexcept;

 private:
  // The failure message box of a bitmap that could not be loaded.
  void ShowBitmapFailure() noexcept;

  FaceTable m_faces;
  HRESULT m_hrLastOle = S_OK;
};

// Inserts the bitmap at the control's current selection, in place of the
// selected characters, as one static picture object. Takes the bitmap over:
// it is freed on every path (the control keeps a copy of its own). Returns
// S_OK, or the result of the step that failed; nothing is inserted then and
// everything made on the way is released.
HRESULT InsertBitmapObject(fw::CRichEditCtrl& edit, HBITMAP bitmap) noexcept;

}  // namespace velkor
