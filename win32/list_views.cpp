#include "list_views.h"

#include <algorithm>
#include <string>

#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/grid.h"
#include "window_support.h"

namespace kelnor::win32 {

using platform::widen;

std::optional<LRESULT> beforeCell(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
            draw.clrTextBk = GetSysColor(draw.iSubItem == 0 ? COLOR_BTNFACE : COLOR_WINDOW);
            return std::nullopt;
        default:
            return CDRF_DODEFAULT;
    }
}

HWND makeListView(HWND parent, int id, HINSTANCE instance, DWORD style) {
    HWND list = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_NOSORTHEADER |
            style,
        0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ListView_SetExtendedListViewStyle(
        list, LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    return list;
}

void setColumns(HWND list, int conditions, const sheet::SheetEvaluation& evaluation, UINT dpi,
                int alignment) {
    const int shown = Header_GetItemCount(ListView_GetHeader(list));
    const int wanted = conditions + 1;
    for (int c = shown; c < wanted; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
        column.fmt = c == 0 ? LVCFMT_LEFT : alignment;
        column.pszText = const_cast<wchar_t*>(L"");
        column.cx = scaled(c == 0 ? kNameColumnWidth : kConditionColumnWidth, dpi);
        ListView_InsertColumn(list, c, &column);
    }
    for (int c = shown; c > wanted; --c) {
        ListView_DeleteColumn(list, c - 1);
    }
    for (int c = 1; c < wanted; ++c) {
        std::wstring header =
            widen(sheet::conditionHeader(evaluation, static_cast<std::size_t>(c - 1)));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = header.data();
        ListView_SetColumn(list, c, &column);
    }
}

void setGridColumns(HWND list, const sheet::Sheet& sheet, const sheet::SheetEvaluation& evaluation,
                    UINT dpi) {
    const bool dike = sheet::sectionsAsRows(sheet);
    const int wanted =
        dike ? static_cast<int>(sheet::gridColumns(sheet)) + 1 : static_cast<int>(sheet.size()) + 1;
    int shown = Header_GetItemCount(ListView_GetHeader(list));
    // Laid out afresh when the grid turns between a dam's and a dike's (the list view keeps
    // its first column, which cannot be deleted).
    const bool wasDike = shown > 0 && (GetWindowLongPtrW(list, GWLP_USERDATA) != 0);
    if (wasDike != dike) {
        for (; shown > 1; --shown) {
            ListView_DeleteColumn(list, shown - 1);
        }
        SetWindowLongPtrW(list, GWLP_USERDATA, dike ? 1 : 0);
        // A dike's names stand frozen in a pane of their own: none in the grid.
        if (shown == 1) {
            ListView_SetColumnWidth(list, 0, dike ? 0 : scaled(kNameColumnWidth, dpi));
        }
    }
    if (!dike) {
        setColumns(list, wanted - 1, evaluation, dpi, LVCFMT_LEFT);
        return;
    }
    for (int c = 0; c < wanted; ++c) {
        std::wstring header =
            c == 0 ? std::wstring()
                   : widen(sheet::gridColumnHeader(sheet, evaluation, std::size_t(c - 1)));
        LVCOLUMNW column{};
        column.pszText = header.data();
        if (c < shown) {
            column.mask = LVCF_TEXT;
            ListView_SetColumn(list, c, &column);
            continue;
        }
        column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
        const bool result = c > 0 && !sheet::gridCell(sheet, 0, std::size_t(c - 1)).field;
        column.fmt = result ? LVCFMT_RIGHT : LVCFMT_LEFT;
        // As wide as the header, and a level's digits: the same for a thousand sections.
        column.cx = c == 0
                        ? 0
                        : std::max(scaled(80, dpi),
                                   ListView_GetStringWidth(list, header.c_str()) + scaled(16, dpi));
        ListView_InsertColumn(list, c, &column);
    }
}

void toneResult(NMLVCUSTOMDRAW& draw, const sheet::ResultCell& cell, HFONT bold) {
    if (cell.tone == sheet::ResultTone::Failed) {
        draw.clrText = colourOf(sheet::kFailedTextColour);
    } else if (cell.tone == sheet::ResultTone::Warned) {
        draw.clrText = colourOf(sheet::kWarnedTextColour);
    }
    if (cell.governing) {
        SelectObject(draw.nmcd.hdc, bold);
    }
}

void scaleColumns(HWND list, UINT dpi) {
    const int columns = Header_GetItemCount(ListView_GetHeader(list));
    for (int c = 0; c < columns; ++c) {
        ListView_SetColumnWidth(list, c,
                                scaled(c == 0 ? kNameColumnWidth : kConditionColumnWidth, dpi));
    }
}

}  // namespace kelnor::win32
