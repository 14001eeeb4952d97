#include "database/Reports.h"

#include "database/Prices.h"

const std::string& MissingPricesReport() {
    static const std::string statement =
        std::string("Select M.Component from Materials M where ") + NoPriceCondition + " order by M.Component;";
    return statement;
}
