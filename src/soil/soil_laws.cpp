#include "soil/soil_laws.hpp"

namespace korvant {

namespace {

const SoilLaw kLaws[] = {
    {1,
     {{"E1", &Model::E1}, {"NU1", &Model::NU1}, {"slab", &Model::slab}},
     3, "PROPIEDADES CASO 1", "(6X, A24)", "    E        NU    slab", "(4X, A16)", "   t/m2      ", "(8X, 3F8.2)",
     0, true, "el análisis de expansiones", -1, false, nullptr},
    {2,
     {{"E2", &Model::E2}, {"NU2", &Model::NU2}, {"slab", &Model::slab}, {"KO", &Model::KO}, {"K", &Model::K2},
      {"N", &Model::N2}, {"A", &Model::A2}},
     7, "PROPIEDADES CASO 2", "(6X, A56)", "    E       NU    slab  KO       K       N     A", "(4X, A16)",
     "   t/m2      ", "(8X, 7F8.2)", 0, false, "el análisis lineal de compresiones", 6, false,
     "el análisis no lineal de compresiones"},
    {3,
     {{"Emv", &Model::Emv}, {"Ap", &Model::Ap}, {"T", &Model::T}},
     3, "PROPIEDADES CASO 3", "(7X, A24)", "   Emv       Ap       T ", "(4X, A16)", "   m2/t      ", "(8X, 3F8.2)",
     0, false, "el análisis lineal de consolidación primaria", 1, true,
     "el análisis no lineal de consolidación primaria"},
    {4,
     {{"Emt", &Model::Emt}, {"Acs", &Model::Acs}, {"psi", &Model::psi}, {"T", &Model::T}},
     4, "PROPIEDADES CASO 4", "(7X, A32)", "   Emt      Acs      psi       T ", "(4X, A16)", "   m2/t      ",
     "(8X, 4F8.2)", 0, false, "el análisis lineal de consolidación secundaria", 1, true,
     "el análisis no lineal de consolidación secundaria"},
};

}  // namespace

std::span<const SoilLaw> soil_laws() { return kLaws; }

}  // namespace korvant
