// A component's prices over time as a step line: each price holds from its date until the next one. Dates
// run along the bottom, prices up the left; the chart fills whatever size its window gives it.
#pragma once

#include <QDate>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <vector>

class QPainter;

struct TPricePoint {
    QDate Date;
    double Price = 0.0;
};

class TPriceChart : public QWidget {
    Q_OBJECT
public:
    explicit TPriceChart(QWidget* parent = nullptr);

    // The prices in date order, oldest first; points without a valid date are left out.
    void SetPoints(std::vector<TPricePoint> points);
    const std::vector<TPricePoint>& Points() const { return FPoints; }

    // Where the point of index i is drawn, in the widget's coordinates, at its present size.
    QPointF PointPosition(std::size_t i) const;
    // The area inside the axes.
    QRectF PlotArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The price range shown and the distance between its labelled steps, finite for any finite prices.
    struct TScale {
        double Low = 0.0;
        double High = 1.0;
        double Step = 1.0;
        // The labelled prices: Label(0) is Low, Label(Labels()) High.
        int Labels() const;
        double Label(int i) const;
    };
    TScale PriceScale(int plotHeight) const;
    int PriceLabelWidth() const;
    double XOf(const QDate& date, const QRectF& plot) const;
    double YOf(double price, const QRectF& plot, const TScale& scale) const;
    void DrawDateAxis(QPainter& painter, const QRectF& plot) const;

    std::vector<TPricePoint> FPoints;
};
