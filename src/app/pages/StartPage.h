// TabInicio: the banner, the start picture and the maker's name.
#pragma once

class QLabel;
class QWidget;

namespace pordane::widgets {
class BannerLabel;
class StartPicture;
} // namespace pordane::widgets

namespace pordane::app::pages {

struct StartPage {
    QWidget* TabInicio = nullptr;
    widgets::BannerLabel* LabelPordane = nullptr;
    widgets::StartPicture* ImageStart = nullptr;
    QLabel* LabelCorvalix = nullptr;
};

StartPage buildStartPage(QWidget* parent);

} // namespace pordane::app::pages
