#include "design_results.h"

#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/grid.h"
#include "list_views.h"

namespace kelnor::win32 {

using platform::widen;

DesignResults::DesignResults(HWND window, HINSTANCE instance,
                             const sheet::DesignPresenter& presenter)
    : presenter_(presenter), list_(makeListView(window, kResultsId, instance, LVS_SINGLESEL)) {
    ListView_SetItemCountEx(list_, static_cast<int>(sheet::resultRowCount()), 0);
}

void DesignResults::useFont(HFONT font, HFONT bold, UINT dpi) {
    font_ = font;
    bold_ = bold;
    dpi_ = dpi;
}

void DesignResults::showResults() {
    // A dike's results stand beside its sections in the grid: none here.
    const bool dike = presenter_.sheet().isDike();
    ListView_SetItemCountEx(list_, dike ? 0 : static_cast<int>(sheet::resultRowCount()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    setColumns(list_, dike ? 0 : static_cast<int>(presenter_.evaluation().outcomes.size()),
               presenter_.evaluation(), dpi_, LVCFMT_RIGHT);
    InvalidateRect(list_, nullptr, FALSE);
}

std::wstring DesignResults::textOf(std::size_t row, int column) const {
    if (column == 0) {
        return widen(sheet::resultRowName(row));
    }
    return widen(
        sheet::resultCell(presenter_.evaluation(), static_cast<std::size_t>(column - 1), row).text);
}

std::wstring DesignResults::tipOf(std::size_t row, int column) const {
    if (column <= 0) {
        return {};
    }
    return widen(
        sheet::resultCell(presenter_.evaluation(), static_cast<std::size_t>(column - 1), row).tip);
}

LRESULT DesignResults::customDraw(NMLVCUSTOMDRAW& draw) const {
    if (const auto done = beforeCell(draw)) {
        return *done;
    }
    SelectObject(draw.nmcd.hdc, font_);
    if (draw.iSubItem > 0) {
        toneResult(
            draw,
            sheet::resultCell(presenter_.evaluation(), static_cast<std::size_t>(draw.iSubItem - 1),
                              draw.nmcd.dwItemSpec),
            bold_);
    }
    return CDRF_NEWFONT;
}

}  // namespace kelnor::win32
