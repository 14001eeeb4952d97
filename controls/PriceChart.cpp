#include "PriceChart.h"

#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Room between the labels and the plot, and inside the plot around the outermost points.
constexpr int Gap = 6;
constexpr double Inset = 8.0;
constexpr double PointRadius = 3.5;
// Price labels stand at least this far apart.
constexpr int PriceLabelSpacing = 28;

// The most labelled prices a scale has, whatever the prices.
constexpr int MaxPriceLabels = 1000;
constexpr double Largest = std::numeric_limits<double>::max();

QString PriceText(double price) {
    // Past a trillion the digits would crowd out the chart: the figure in powers of ten.
    if (std::fabs(price) >= 1e12)
        return QString::number(price, 'g', 4);
    return ToQt(FormatFixed(price, 2));
}

// 1, 2, 2.5 or 5 times a power of ten, at least raw and never below a cent; never past the largest number.
double NiceStep(double raw) {
    raw = std::clamp(raw, 0.01, Largest);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (factor * power >= raw - 1e-12)
            return std::min(factor * power, Largest);
    return Largest;
}

// a - b for two finite numbers, halved so that it cannot overflow.
double HalfSpan(double a, double b) {
    return a / 2 - b / 2;
}

// The steps between labelled dates, from the finest; each labels its dates in its own form.
struct TDateStep {
    int Days;
    int Months;
    int Years;
    const char* Format;
};
constexpr TDateStep DateSteps[] = {{1, 0, 0, "yyyy-MM-dd"},  {2, 0, 0, "yyyy-MM-dd"}, {7, 0, 0, "yyyy-MM-dd"},
                                   {14, 0, 0, "yyyy-MM-dd"}, {0, 1, 0, "yyyy-MM"},    {0, 2, 0, "yyyy-MM"},
                                   {0, 3, 0, "yyyy-MM"},     {0, 6, 0, "yyyy-MM"},    {0, 0, 1, "yyyy"},
                                   {0, 0, 2, "yyyy"},        {0, 0, 5, "yyyy"},       {0, 0, 10, "yyyy"},
                                   {0, 0, 25, "yyyy"},       {0, 0, 50, "yyyy"},      {0, 0, 100, "yyyy"}};

// The labelled dates from first to last at one step.
std::vector<QDate> DateTicks(const TDateStep& step, const QDate& first, const QDate& last) {
    std::vector<QDate> ticks;
    QDate tick = first;
    if (step.Months) {
        tick = QDate(first.year(), first.month(), 1);
        while (tick < first || (tick.month() - 1) % step.Months != 0)
            tick = tick.addMonths(1);
    } else if (step.Years) {
        tick = QDate(first.year(), 1, 1);
        while (tick < first || tick.year() % step.Years != 0)
            tick = tick.addYears(1);
    }
    while (tick.isValid() && tick <= last && ticks.size() < 1000) {
        ticks.push_back(tick);
        tick = step.Days     ? tick.addDays(step.Days)
               : step.Months ? tick.addMonths(step.Months)
                             : tick.addYears(step.Years);
    }
    return ticks;
}

} // namespace

TPriceChart::TPriceChart(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
}

void TPriceChart::SetPoints(std::vector<TPricePoint> points) {
    std::erase_if(points,
                  [](const TPricePoint& point) { return !point.Date.isValid() || !std::isfinite(point.Price); });
    std::stable_sort(points.begin(), points.end(),
                     [](const TPricePoint& a, const TPricePoint& b) { return a.Date < b.Date; });
    FPoints = std::move(points);
    // What the picture shows, in words, for a screen reader.
    QString description = "No prices to draw";
    if (FPoints.size() == 1)
        description = QString("One price, %1 since %2")
                          .arg(PriceText(FPoints.front().Price), FPoints.front().Date.toString(Qt::ISODate));
    else if (FPoints.size() > 1)
        description = QString("%1 prices from %2 to %3, the last %4")
                          .arg(FPoints.size())
                          .arg(FPoints.front().Date.toString(Qt::ISODate), FPoints.back().Date.toString(Qt::ISODate),
                               PriceText(FPoints.back().Price));
    setAccessibleDescription(description);
    update();
}

QSize TPriceChart::sizeHint() const {
    return {440, 200};
}

QSize TPriceChart::minimumSizeHint() const {
    return {200, 110};
}

int TPriceChart::PriceLabelWidth() const {
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(PriceText(0.0));
    for (const TPricePoint& point : FPoints)
        width = std::max(
            width, metrics.horizontalAdvance(PriceText(-std::min(std::ceil(std::fabs(point.Price)) * 2.0, Largest))));
    return width;
}

QRectF TPriceChart::PlotArea() const {
    const QFontMetrics metrics(font());
    const double left = PriceLabelWidth() + 2 * Gap;
    const double right = width() - metrics.horizontalAdvance("2000-00-00") / 2.0 - Gap;
    const double top = metrics.height() / 2.0 + Gap;
    const double bottom = height() - metrics.height() - 2 * Gap;
    return {QPointF(left, top), QPointF(std::max(left + 1, right), std::max(top + 1, bottom))};
}

TPriceChart::TScale TPriceChart::PriceScale(int plotHeight) const {
    TScale scale;
    if (FPoints.empty())
        return scale;
    const auto [low, high] = std::minmax_element(FPoints.begin(), FPoints.end(),
                                                 [](const auto& a, const auto& b) { return a.Price < b.Price; });
    // Every span is taken in halves and every bound kept within the largest number, so that prices of any
    // size give a finite scale.
    double from = low->Price;
    double to = high->Price;
    const double half = HalfSpan(to, from);
    if (half < 0.005) {
        // One price, or prices that never changed: a band around it.
        const double band = std::max(std::fabs(from) * 0.1, 0.5);
        from -= band;
        to += band;
    } else {
        const double margin = half * 0.16;
        from -= margin;
        to += margin;
    }
    from = std::max(from, -Largest);
    to = std::min(to, Largest);
    // Prices below 0 are no prices: a band that reaches below 0 starts at it.
    if (low->Price >= 0 && from < 0)
        from = 0;
    const double halfStep = HalfSpan(to, from) / std::max(1, plotHeight / PriceLabelSpacing);
    scale.Step = NiceStep(halfStep >= Largest / 2 ? Largest : halfStep * 2);
    scale.Low = std::max(std::floor(from / scale.Step) * scale.Step, -Largest);
    scale.High = std::min(std::ceil(to / scale.Step) * scale.Step, Largest);
    if (scale.High <= scale.Low) {
        scale.High = std::min(scale.Low + scale.Step, Largest);
        scale.Low = std::max(scale.High - scale.Step, -Largest);
    }
    return scale;
}

int TPriceChart::TScale::Labels() const {
    const double steps = std::round(HalfSpan(High, Low) / (Step / 2));
    return steps >= 0 && steps < MaxPriceLabels ? static_cast<int>(steps) : MaxPriceLabels;
}

double TPriceChart::TScale::Label(int i) const {
    return std::min(2 * (Low / 2 + i * (Step / 2)), Largest);
}

double TPriceChart::XOf(const QDate& date, const QRectF& plot) const {
    const qint64 first = FPoints.front().Date.toJulianDay();
    const qint64 last = FPoints.back().Date.toJulianDay();
    if (last == first)
        return plot.center().x();
    const double share = static_cast<double>(date.toJulianDay() - first) / static_cast<double>(last - first);
    return plot.left() + Inset + share * (plot.width() - 2 * Inset);
}

double TPriceChart::YOf(double price, const QRectF& plot, const TScale& scale) const {
    return plot.bottom() - HalfSpan(price, scale.Low) / HalfSpan(scale.High, scale.Low) * plot.height();
}

QPointF TPriceChart::PointPosition(std::size_t i) const {
    if (i >= FPoints.size())
        return {};
    const QRectF plot = PlotArea();
    return {XOf(FPoints[i].Date, plot), YOf(FPoints[i].Price, plot, PriceScale(static_cast<int>(plot.height())))};
}

void TPriceChart::DrawDateAxis(QPainter& painter, const QRectF& plot) const {
    const QFontMetrics metrics(font());
    const QDate first = FPoints.front().Date;
    const QDate last = FPoints.back().Date;
    std::vector<QDate> ticks{first};
    const char* format = "yyyy-MM-dd";
    if (last > first) {
        // The finest step whose labels fit side by side.
        for (const TDateStep& step : DateSteps) {
            const int labelWidth = metrics.horizontalAdvance(QDate(2000, 12, 28).toString(step.Format)) + 2 * Gap;
            std::vector<QDate> candidate = DateTicks(step, first, last);
            if (candidate.empty() || static_cast<double>(candidate.size() * labelWidth) > plot.width())
                continue;
            ticks = std::move(candidate);
            format = step.Format;
            break;
        }
    }
    const double labelTop = plot.bottom() + Gap;
    for (const QDate& tick : ticks) {
        const double x = XOf(tick, plot);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + Gap / 2.0));
        const QString text = tick.toString(format);
        const double width = metrics.horizontalAdvance(text);
        // A label at the very edge is moved in rather than cut.
        const double left = std::clamp(x - width / 2, 0.0, std::max(0.0, this->width() - width));
        painter.drawText(QRectF(left, labelTop, width, metrics.height()), Qt::AlignCenter, text);
    }
}

void TPriceChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QRectF plot = PlotArea();
    painter.fillRect(plot, colours.color(QPalette::Base));
    const QColor text = colours.color(QPalette::WindowText);
    if (FPoints.empty()) {
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(plot, Qt::AlignCenter, "No prices to draw");
        return;
    }

    // Price labels with their grid lines, then the dates under the plot.
    const QFontMetrics metrics(font());
    const TScale scale = PriceScale(static_cast<int>(plot.height()));
    QColor grid = colours.color(QPalette::Mid);
    grid.setAlpha(110);
    // Counted, not added up until past the top: a step below the prices' precision would never get there.
    for (int i = 0, last = scale.Labels(); i <= last; ++i) {
        const double value = scale.Label(i);
        const double y = YOf(value, plot, scale);
        painter.setPen(QPen(grid, 1, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        painter.drawText(QRectF(0, y - metrics.height() / 2.0, plot.left() - Gap, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, PriceText(value));
    }
    painter.setPen(text);
    DrawDateAxis(painter, plot);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    // Each price holds until the next change: across at its height, then up or down to the next.
    const QColor line = colours.color(QPalette::Highlight);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath steps;
    for (std::size_t i = 0; i < FPoints.size(); ++i) {
        const QPointF at(XOf(FPoints[i].Date, plot), YOf(FPoints[i].Price, plot, scale));
        if (i == 0)
            steps.moveTo(at);
        else
            steps.lineTo(QPointF(at.x(), steps.currentPosition().y()));
        steps.lineTo(at);
    }
    if (FPoints.size() > 1) {
        painter.setPen(QPen(line, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(steps);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(line);
    for (std::size_t i = 0; i < FPoints.size(); ++i)
        painter.drawEllipse(QPointF(XOf(FPoints[i].Date, plot), YOf(FPoints[i].Price, plot, scale)), PointRadius,
                            PointRadius);
}
