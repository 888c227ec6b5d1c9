#include "app/qt/ProgramLook.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <array>

#include "app/qt/ShellWidgets.h"

namespace kelvora {
namespace {

constexpr std::array kSizes{16, 24, 32, 48, 64, 128, 256};

// The smallest picture at least `wanted` pixels wide, else the largest.
int pictureSizeFor(int wanted) {
    for (int size : kSizes) {
        if (size >= wanted)
            return size;
    }
    return kSizes.back();
}

class PictureIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        QImage image = readPicture(QStringLiteral(":/images/kelvora-%1.png").arg(pictureSizeFor(side)));
        if (image.width() != side)
            image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmap picture = QPixmap::fromImage(std::move(image));
        if (mode == QIcon::Normal || mode == QIcon::Active)
            return picture;
        QStyleOption option;
        return QApplication::style()->generatedIconPixmap(mode, picture, &option);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), picture);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kSizes)
            sizes.append(QSize(size, size));
        return sizes;
    }

    QIconEngine* clone() const override { return new PictureIconEngine; }
    QString key() const override { return QStringLiteral("KelvoraPictureIconEngine"); }
};

class ProgramStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
        // The menu bar makes its overflow button at once, and reading the button's picture loads every image
        // format plugin; the bar never overflows at the window's fixed width, so the button is never shown.
        if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
            return {};
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

QStyle* programStyle() {
    return new ProgramStyle;
}

QIcon programIcon() {
    loadArtwork();
    return QIcon(new PictureIconEngine);
}

} // namespace kelvora
