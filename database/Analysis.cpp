#include "database/Analysis.h"

#include "database/Prices.h"
#include "text/StrMan.h"

std::string AnalysisLinesQuery(TEngine engine, const std::string& product) {
    // The file gives the lines in the order they were added, through its index by product; a server keeps no
    // order of its own, so its query reads the view's tables to sort by the line.
    if (engine == TEngine::PostgreSQL)
        return std::string("SELECT M.Component, R.Quantity, Times(R.Quantity, M.Price), ") + NoPriceCondition(engine) +
               " FROM Recipes R, Products P, Materials M WHERE P.Prod_ID = R.Prod_ID AND M.Comp_ID = R.Comp_ID AND "
               "P.Product = '" +
               StringManager.QuoteSql(product) + "' ORDER BY R.ID;";
    return std::string("Select Component, Quantity, Cumulative, Component IN (Select M.Component from Materials M "
                       "where ") +
           NoPriceCondition(engine) + ") from Report where Product='" + StringManager.QuoteSql(product) + "';";
}
