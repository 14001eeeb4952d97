#include "database/Analysis.h"

#include "database/Prices.h"
#include "text/StrMan.h"

std::string AnalysisLinesQuery(const std::string& product) {
    return std::string("Select Component, Quantity, Cumulative, Component IN (Select M.Component from Materials M "
                       "where ") +
           NoPriceCondition + ") from Report where Product='" + StringManager.QuoteSql(product) + "';";
}
