#include "ui/dialogs/colorselect.h"

#include "platform/qt/controls.h"

#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kStyleCount = 7;

const char* const kStyleNames[kStyleCount]
    = { "Solid", "Horizontal", "Vertical", "Forward Diagonal", "Back Diagonal", "Cross", "Diagonal Cross" };

std::int32_t toBgr(const QColor& color)
{
    return std::int32_t(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QColor fromBgr(std::int32_t color)
{
    return platform::colorFromBgr(quint32(color) & 0xFFFFFFu);
}

class BrushStyleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TBrushStyleCombo::DrawItem(
            *painter, option.rect, index.row(), option.state & QStyle::State_Selected, option.palette);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 16);
    }
};

} // namespace

TBrushStyle IndexToBrushStyle(int Index)
{
    if (Index < 1)
        return bsSolid;
    if (Index >= kStyleCount)
        return bsDiagCross;
    return static_cast<TBrushStyle>(Index + 1);
}

int BrushStyleToIndex(TBrushStyle Style)
{
    if (Style <= bsClear || Style > bsDiagCross)
        return 0;
    return int(Style) - 1;
}

Qt::BrushStyle QtBrushStyle(TBrushStyle Style)
{
    switch (Style) {
    case bsSolid:
        return Qt::SolidPattern;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    case bsClear:
    default:
        return Qt::NoBrush;
    }
}

TBrushStyleCombo::TBrushStyleCombo(QWidget* parent)
    : QComboBox(parent)
{
    for (const char* name : kStyleNames)
        addItem(QString::fromLatin1(name));
    setItemDelegate(new BrushStyleDelegate(this));
    setMaxVisibleItems(9);
    setToolTip(QStringLiteral("Fill style"));
}

void TBrushStyleCombo::DrawItem(
    QPainter& Painter, const QRect& Rect, int Index, bool Selected, const QPalette& Palette)
{
    Painter.save();
    Painter.fillRect(Rect, Selected ? Palette.color(QPalette::Highlight) : Palette.color(QPalette::Base));
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QBrush(Qt::black, QtBrushStyle(IndexToBrushStyle(Index))));
    Painter.setBrushOrigin(Rect.topLeft());
    Painter.drawRect(Rect.adjusted(5, 1, -5, -1));
    Painter.restore();
}

void TBrushStyleCombo::paintEvent(QPaintEvent*)
{
    // The frame and arrow of the style, and the selected sample where its text would be.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0)
        DrawItem(painter, field.adjusted(1, 1, -1, -1), currentIndex(), hasFocus(), palette());
}

TfrmColorSelect::TfrmColorSelect(std::int32_t color, TBrushStyle brushStyle, QWidget* owner)
    : QDialog(owner ? owner : QApplication::activeWindow())
    , m_color(color)
    , m_brushStyle(brushStyle)
{
    setObjectName(QStringLiteral("frmColorSelect"));
    setWindowTitle(QStringLiteral("Select color"));
    setFont(platform::formFont(8));
    setFixedSize(416, 111);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 400, 65);

    Button1 = new QPushButton(QStringLiteral("Color"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 80, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    cmbBrushStyle = new TBrushStyleCombo(this);
    cmbBrushStyle->setObjectName(QStringLiteral("cmbBrushStyle"));
    cmbBrushStyle->setGeometry(91, 81, 153, 23);
    cmbBrushStyle->setCurrentIndex(BrushStyleToIndex(m_brushStyle));
    platform::controlEvents(cmbBrushStyle).onChange = [this](QObject*) { cmbBrushStyleChange(); };

    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    Button2->setGeometry(252, 80, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);

    Button3 = new QPushButton(QStringLiteral("Cancel"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(333, 80, 75, 25);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

    CD = new QColorDialog(this);
    CD->setObjectName(QStringLiteral("CD"));
    CD->setOption(QColorDialog::DontUseNativeDialog);

    DrawPreview();
}

void TfrmColorSelect::DrawPreview()
{
    m_preview = QImage(Image1->size(), QImage::Format_RGB32);
    QPainter painter(&m_preview);
    painter.fillRect(m_preview.rect(), fromBgr(m_color));
    if (m_brushStyle != bsSolid)
        painter.fillRect(m_preview.rect(), QBrush(Qt::black, QtBrushStyle(m_brushStyle)));
    painter.end();
    Image1->setPixmap(QPixmap::fromImage(m_preview));
}

void TfrmColorSelect::Button1Click()
{
    CD->setCurrentColor(fromBgr(m_color));
    if (CD->exec() != QDialog::Accepted)
        return;
    m_color = toBgr(CD->selectedColor());
    DrawPreview();
}

void TfrmColorSelect::cmbBrushStyleChange()
{
    m_brushStyle = IndexToBrushStyle(cmbBrushStyle->currentIndex());
    DrawPreview();
}

bool ShowColorSelect(std::int32_t& Color, TBrushStyle& BrushStyle, QWidget* owner)
{
    TfrmColorSelect dialog(Color, BrushStyle, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Color = dialog.Color();
    BrushStyle = dialog.BrushStyle();
    return true;
}
