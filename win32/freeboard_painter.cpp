#include "freeboard_painter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "kelnor/platform/text_encoding.h"
#include "list_views.h"
#include "window_support.h"

namespace kelnor::win32 {

using platform::widen;

void paintFreeboard(HWND picture, const design::Drawing& drawing, UINT dpi) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(picture, &paint);
    RECT client{};
    GetClientRect(picture, &client);
    // Drawn off screen, then shown at once: no flicker while typing.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    if (!drawing.empty()) {
        // The sketch is laid out in pixels at 96 dpi and drawn at the monitor's scale.
        const double zoom = double(dpi) / USER_DEFAULT_SCREEN_DPI;
        SetGraphicsMode(dc, GM_ADVANCED);
        const XFORM scale{static_cast<FLOAT>(zoom), 0, 0, static_cast<FLOAT>(zoom), 0, 0};
        SetWorldTransform(dc, &scale);
        LOGFONTW face = messageFont(USER_DEFAULT_SCREEN_DPI);
        HFONT font = CreateFontIndirectW(&face);
        HGDIOBJ oldFont = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);

        design::FitOptions options;
        options.fontSize = metrics.tmHeight - metrics.tmInternalLeading;
        options.measure = [dc](std::string_view text) {
            const std::wstring wide = widen(text);
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return double(size.cx);
        };
        const design::Scale fitted =
            design::fit(drawing, client.right / zoom, client.bottom / zoom, options);
        // Device units to GDI's, and the sketch's metres to GDI's.
        const auto pointOf = [](design::Point p) {
            return POINT{static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))};
        };
        const auto at = [&](design::Point p) { return pointOf(fitted.map(p)); };
        const auto makePen = [](const design::Pen& p) {
            LOGBRUSH brush{BS_SOLID, colourOf(p.colour), 0};
            const DWORD dashes[] = {static_cast<DWORD>(design::kDashLength),
                                    static_cast<DWORD>(design::kDashGap)};
            const DWORD style = PS_GEOMETRIC | (p.dashed ? PS_USERSTYLE : PS_SOLID) |
                                (p.roundCap ? PS_ENDCAP_ROUND : PS_ENDCAP_FLAT);
            return ExtCreatePen(style, static_cast<DWORD>(std::max(1.0, std::round(p.width))),
                                &brush, p.dashed ? 2 : 0, p.dashed ? dashes : nullptr);
        };
        for (const design::LineStyle style : design::kLineOrder) {
            HPEN pen = makePen(design::penOf(style));
            HGDIOBJ oldPen = SelectObject(dc, pen);
            for (const design::Line& l : drawing.lines) {
                if (l.style == style) {
                    const POINT ends[] = {at(l.from), at(l.to)};
                    Polyline(dc, ends, 2);
                }
            }
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        // The leaders of labels moved off their levels, in device units already.
        HPEN calloutPen = makePen(design::penOf(design::LineStyle::Callout));
        HGDIOBJ oldCalloutPen = SelectObject(dc, calloutPen);
        for (const design::Label& t : fitted.labels()) {
            if (t.leader) {
                const POINT ends[] = {pointOf(t.leader->from), pointOf(t.leader->to)};
                Polyline(dc, ends, 2);
            }
        }
        SelectObject(dc, oldCalloutPen);
        DeleteObject(calloutPen);
        HPEN markPen = makePen(design::markPen());
        HGDIOBJ oldPen = SelectObject(dc, markPen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
        for (const design::Mark& m : drawing.marks) {
            std::vector<POINT> outline;
            for (const design::Point& p : fitted.markOutline(m)) {
                outline.push_back(pointOf(p));
            }
            if (m.kind == design::MarkKind::StillWater) {
                Polygon(dc, outline.data(), static_cast<int>(outline.size()));
            } else {
                Polyline(dc, outline.data(), static_cast<int>(outline.size()));
            }
        }
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(markPen);

        SetBkMode(dc, TRANSPARENT);
        constexpr UINT kAlignments[] = {DT_LEFT, DT_CENTER, DT_RIGHT};  // by HAlign
        for (const design::Label& t : fitted.labels()) {
            const design::Box& b = t.box;
            RECT box{static_cast<LONG>(std::lround(b.left)), static_cast<LONG>(std::lround(b.top)),
                     static_cast<LONG>(std::lround(b.left + b.width)),
                     static_cast<LONG>(std::lround(b.top + b.height))};
            SetTextColor(dc, colourOf(design::inkOf(t.role)));
            std::wstring text = widen(t.text);
            DrawTextW(dc, text.data(), static_cast<int>(text.size()), &box,
                      kAlignments[static_cast<std::size_t>(t.h)] | DT_VCENTER | DT_SINGLELINE |
                          DT_NOCLIP | DT_NOPREFIX);
        }
        SelectObject(dc, oldFont);
        DeleteObject(font);
        ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(picture, &paint);
}

}  // namespace kelnor::win32
