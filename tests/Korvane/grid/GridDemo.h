#pragma once
// A grid with every kind of cell, frozen columns at both edges, a sum row and check boxes: the
// picture test and the benchmark build their grids with it.
#include "controls/MiniGridCtrl.h"
#include "grid/BCGPGridDateTimeExtItem.h"
#include "grid/BallColorBCGPGridCellItem.h"
#include "grid/ButtonItem.h"
#include "grid/ColorfulTextCell.h"
#include "grid/MultiCheckBox.h"
#include "grid/PercentBCGPGridCellItem.h"
#include "grid/PictureGridItem.h"
#include "grid/QLBCGGridCtrl.h"

#include <QImage>
#include <QPainter>

namespace griddemo {

inline QImage DemoPicture()
{
    QImage image(48, 24, QImage::Format_ARGB32);
    image.fill(QColor(0x30, 0x70, 0xC0));
    QPainter p(&image);
    p.setBrush(QColor(0xF0, 0xC0, 0x20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(14, 2, 20, 20));
    return image;
}

// The cell of the given kind (0..12) for row r.
inline platform::GridItem *MakeCell(int kind, int r)
{
    using namespace platform;
    switch (kind) {
    case 0: return new CBCGPGridItemMid(QVariant(QStringLiteral("text %1").arg(r)));
    case 1: return new GridCheckItem(r % 2 == 0, QStringLiteral("label"));
    case 2: {
        auto *item = new CBCGPGridItemMid(QVariant(QStringLiteral("Banana")));
        for (const char *o : {"Apple", "Banana", "Berry"})
            item->AddOption(QString::fromLatin1(o));
        return item;
    }
    case 3: return new GridCheckItem(r % 3 == 0);
    case 4: return new CButtonItem(QStringLiteral("Run"));
    case 5: return new CBallColorBCGPGridCellItem(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                  RGB(0x20, 0xA0, 0x40), RGB(0xD0, 0x30, 0x30));
    case 6: return new CPercentBCGPGridCellItem(QStringLiteral("%1%").arg(r % 101), r % 101);
    case 7: {
        auto *box = new CMultiCheckBox(3);
        box->SetValue(QVariant(r % 8), false);
        return box;
    }
    case 8: {
        auto *cell = new CColorfulTextCell(QVariant(QStringLiteral("warning")));
        cell->m_clrText = RGB(0xC0, 0x40, 0x00);
        return cell;
    }
    case 9: return new CBCGPGridDateTimeExtItem(QDateTime(QDate(2020, 5, 6).addDays(r % 365), QTime(14, 0)));
    case 10: return new CPictureGridItem(DemoPicture());
    case 11: return new CMiniRadioItem(QString::fromUtf8("关"), QString::fromUtf8("开"), BYTE(r % 2 == 1));
    default: {
        auto *item = new CBCGPGridItemMid(QVariant(double(r) * 0.25));
        item->SetValueFormat(QStringLiteral("%.2f"), QVariant(double(0)));
        return item;
    }
    }
}

constexpr int kKinds = 13;
inline const char *KindName(int kind)
{
    static const char *names[kKinds] = {"text", "check+label", "drop-down", "check", "button", "ball colour",
                                        "percent", "multi-check", "coloured text", "date", "picture",
                                        "two-option", "number"};
    return kind >= 0 && kind < kKinds ? names[kind] : "";
}

// Columns: id (frozen left), kind, cell, then 8 mixed columns, and status (frozen right):
// 12 columns. Row r shows kind r % kKinds in its "cell" column and mixed kinds elsewhere.
inline void Build(CQLBCGGridCtrl &grid, int rows)
{
    grid.InsertColumn(0, QStringLiteral("ID"), 50);
    grid.InsertColumn(1, QStringLiteral("kind"), 90);
    grid.InsertColumn(2, QStringLiteral("cell"), 130);
    for (int c = 0; c < 8; ++c)
        grid.InsertColumn(3 + c, QStringLiteral("col %1").arg(c + 1), 85);
    grid.InsertColumn(11, QString::fromUtf8("状态"), 80);
    for (int r = 0; r < rows; ++r) {
        platform::GridRow *row = grid.CreateRow();
        row->AddItem(new CBCGPGridItemMid(QVariant(r + 1)));
        row->AddItem(new CBCGPGridItemMid(QVariant(QString::fromLatin1(KindName(r % kKinds)))));
        row->AddItem(MakeCell(r % kKinds, r));
        for (int c = 0; c < 8; ++c) {
            const int kind = (c * 5 + r) % 4;
            row->AddItem(kind == 0   ? MakeCell(0, r)
                         : kind == 1 ? MakeCell(12, r)
                         : kind == 2 ? MakeCell(3, r)
                                     : MakeCell(6, r));
        }
        auto *status = new CColorfulTextCell(QVariant(QString::fromUtf8(r % 2 ? "正常" : "报警")));
        status->m_clrText = r % 2 ? RGB(0, 0x80, 0) : RGB(0xC0, 0, 0);
        row->AddItem(status);
        grid.AddRow(row, false);
    }
    grid.FreezeColumns(1, 1);
    grid.EnableCheckBoxes(true);
    grid.EnableFilterBar(true);
    grid.EnableHeaderFilterMenu(true);
    grid.ShowSumRow(true);
    grid.SetSumRowCaption(QString::fromUtf8("合计"));
    grid.GetColumnsInfo().SetColumnSumText(0, QString::number(rows));
    grid.GetColumnsInfo().SetColumnSumText(3, QString::fromUtf8("计数: %1").arg(rows));
    grid.GetColumnsInfo().SetColumnSumText(11, QString::fromUtf8("报警 %1").arg((rows + 1) / 2));
    grid.AdjustLayout();
}

}
