// Start page contents.
#include "app/pages/StartPage.h"

#include "app/pages/PageKit.h"
#include "widgets/BannerLabel.h"
#include "widgets/StartPicture.h"

#include <QLabel>

namespace pordane::app::pages {

StartPage buildStartPage(QWidget* parent)
{
    StartPage s;
    s.TabInicio = makePage(parent, QStringLiteral("TabInicio"));
    s.TabInicio->setAutoFillBackground(true);
    QPalette pal = s.TabInicio->palette();
    pal.setColor(QPalette::Window, Qt::white);
    s.TabInicio->setPalette(pal);

    s.LabelPordane = new widgets::BannerLabel(QStringLiteral("PORDANE"), s.TabInicio);
    s.LabelPordane->setObjectName(QStringLiteral("LabelPordane"));
    const QSize banner = s.LabelPordane->sizeHint();
    s.LabelPordane->setGeometry((PageWidth - banner.width()) / 2, 36, banner.width(), banner.height());

    s.ImageStart = new widgets::StartPicture(s.TabInicio);
    s.ImageStart->setObjectName(QStringLiteral("ImageStart"));
    s.ImageStart->move((PageWidth - widgets::StartPicture::Width) / 2, 36 + banner.height() + 24);

    s.LabelCorvalix = makeLabel(s.TabInicio, QStringLiteral("LabelCorvalix"), QStringLiteral("Corvalix, S.L."),
                                QRect(8, PageHeight - 22, 200, 16));
    return s;
}

} // namespace pordane::app::pages
