#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "support/qt/WaitFor.h"

#include "alert/qt/FrmNewAlert.h"
#include "alert/qt/cAlert.h"

namespace kelvora {
namespace {

QList<QPointer<frmNewAlert>> openPopups() {
    QList<QPointer<frmNewAlert>> popups;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* popup = qobject_cast<frmNewAlert*>(widget))
            popups << popup;
    }
    return popups;
}

using test::waitFor;

TEST(AlertPopupTest, TwoPopupsSlideToTheSameCornerIgnoreClicksAndCloseThemselves) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    cAlert alert;
    alert.Title = "Memory released";
    alert.Message = "<b>120 MB</b> are free again.";
    alert.FlatStyle();
    alert.FlatStyle();
    const QList<QPointer<frmNewAlert>> popups = openPopups();
    ASSERT_EQ(popups.size(), 2);
    for (const auto& popup : popups) {
        EXPECT_EQ(popup->size(), QSize(185, 145));
        EXPECT_EQ(popup->pos(), QPoint(screen.width() - 185, screen.height()));
        EXPECT_EQ(popup->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Memory released"));
        EXPECT_EQ(popup->findChild<QLabel*>("lblAlert")->text(), QStringLiteral("<b>120 MB</b> are free again."));
        EXPECT_EQ(popup->findChild<QLabel*>("lblAlert")->textFormat(), Qt::PlainText);
    }

    const auto resting = [&] {
        for (const auto& popup : popups) {
            if (!popup || popup->motion().phase() != AlertMotion::Phase::Resting)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(waitFor(resting, 3000));
    for (const auto& popup : popups) {
        EXPECT_EQ(popup->pos(), QPoint(screen.width() - 185, screen.height() - 146));
        QTest::mouseClick(popup.data(), Qt::LeftButton);
        QTest::mouseClick(popup->findChild<QLabel*>("lblAlert"), Qt::LeftButton);
        EXPECT_TRUE(popup->isVisible());
    }
    EXPECT_EQ(popups[0]->pos(), popups[1]->pos());

    const auto gone = [&] { return popups[0].isNull() && popups[1].isNull(); };
    ASSERT_TRUE(waitFor(gone, 15000));
}

} // namespace
} // namespace kelvora
