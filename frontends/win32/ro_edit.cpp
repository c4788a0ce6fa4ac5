#include "frontends/win32/ro_edit.h"

#include <commctrl.h>

#include "util/windows_text.h"

namespace vexa::win32 {

namespace {

// The edit control keeps Enter, Escape and Tab for itself instead of letting the dialog act
// on them; a one-line box does nothing with them, and the output box is read-only.
LRESULT CALLBACK WantAllKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
  if (message == WM_GETDLGCODE) {
    return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS | DLGC_WANTTAB;
  }
  if (message == WM_CHAR && (wParam == L'\r' || wParam == L'\x1b' || wParam == L'\t')) return 0;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

CRoEdit::CRoEdit(HWND edit, ControlColors& colors) : edit_(edit), colors_(colors) {
  SetWindowSubclass(edit_, WantAllKeys, 0, 0);
  colors_.SetText(edit_, ui::kBlack);
  colors_.SetBackground(edit_, ui::kWhite);
}

void CRoEdit::SetReadOnlyMode(int mode) {
  SendMessageW(edit_, EM_SETREADONLY, mode == 1 ? TRUE : FALSE, 0);
}

std::string CRoEdit::text() const {
  std::wstring wide(static_cast<size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
  const int length = GetWindowTextW(edit_, wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length));
  return Utf8FromWide(wide);
}

void CRoEdit::SetText(const std::wstring& text) {
  SetWindowTextW(edit_, text.c_str());
}

void CRoEdit::AppendText(const std::wstring& text) {
  const int end = GetWindowTextLengthW(edit_);
  SendMessageW(edit_, EM_SETSEL, end, end);
  SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
}

void CRoEdit::ShowEnd() {
  // The caret ends the selection, so the view scrolls to the end.
  SendMessageW(edit_, EM_SETSEL, 1, GetWindowTextLengthW(edit_));
}

void CRoEdit::ShowStart() {
  SendMessageW(edit_, EM_SETSEL, 0, 0);
}

}  // namespace vexa::win32
