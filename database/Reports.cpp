#include "database/Reports.h"

#include "database/Prices.h"

const std::string& MissingPricesReport(TEngine engine) {
    const auto statement = [](TEngine on) {
        return std::string("Select M.Component from Materials M where ") + NoPriceCondition(on) +
               " order by M.Component;";
    };
    static const std::string file = statement(TEngine::SQLite);
    static const std::string server = statement(TEngine::PostgreSQL);
    return engine == TEngine::PostgreSQL ? server : file;
}

const char* ObsoleteComponentsReportOn(TEngine engine) {
    return engine == TEngine::PostgreSQL ? "SELECT M.Component FROM Materials M WHERE M.COMP_ID NOT IN (SELECT COMP_ID "
                                           "FROM RECIPES WHERE COMP_ID IS NOT NULL) ORDER BY M.Component;"
                                         : ObsoleteComponentsReport;
}

const char* ComponentsByDateReportOn(TEngine engine) {
    return engine == TEngine::PostgreSQL ? "Select Date,'  ',Component,'\t',Price from materials order by date NULLS "
                                           "FIRST, Component NULLS FIRST;"
                                         : ComponentsByDateReport;
}

const char* ComponentsInRecipesReportOn(TEngine engine) {
    return engine == TEngine::PostgreSQL
               ? "Select M.Component,'\t', P.Product,'\t', R.Quantity from Recipes R, Products P, Materials M where "
                 "P.Prod_ID = R.Prod_ID AND M.Comp_ID = R.Comp_ID order by M.Component NULLS FIRST, R.ID;"
               : ComponentsInRecipesReport;
}
