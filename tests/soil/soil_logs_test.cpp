// The lines the soil computations write to VALINF, MEMORIA and the report:
// their order, texts and layouts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "soil/soil.hpp"
#include "text/files.hpp"
#include "soil_model.hpp"

namespace {

using korvant::Files;
using korvant::Model;

std::vector<std::string> lines(korvant::OutFile& o) {
  std::vector<std::string> v;
  std::string& b = o.buf();
  std::size_t s = 0;
  for (std::size_t e; (e = b.find('\n', s)) != std::string::npos; s = e + 1) v.push_back(b.substr(s, e - s));
  return v;
}

std::string f10_7(float x) {
  char b[32];
  std::snprintf(b, sizeof b, "%10.7f", static_cast<double>(x));
  return b;
}

TEST(SoilLogs, InfluenceFileWithoutDirections) {
  Model m;
  Files f;
  soiltest::foundation(m, 1, 1.0f, {2.0f});
  m.NDIRS = 0;
  korvant::influence_values(m, f.log, f.vinf);
  EXPECT_EQ(f.vinf.buf(), "\n\n               VALORES DE INFLUENCIA\n\n            0DIRECCIONES\n");
  EXPECT_EQ(f.mem.buf(), "");
}

TEST(SoilLogs, InfluenceValuesOfOnePoint) {
  Model m;
  Files f;
  soiltest::foundation(m, 1, 1.0f, {2.0f, 3.0f});
  korvant::influence_values(m, f.log, f.vinf);
  auto row = [&](int k) {
    return "       1       " + std::to_string(k) + "       1   " + f10_7(m.IX(1, k, 1, 1)) + f10_7(m.IY(1, k, 1, 1)) +
           f10_7(m.IZ(1, k, 1, 1)) + f10_7(m.AINF(1, k, 1, 1));
  };
  const std::vector<std::string> vinf = {
      "", "", "               VALORES DE INFLUENCIA", "", "            1DIRECCIONES",
      " EN LA DIRECCI\xD3N           1", " PUNTO ESTRATO REACCION      IX        IY        IZ", row(1), row(2)};
  EXPECT_EQ(lines(f.vinf), vinf);

  const std::vector<std::string> mem = {
      " EN LA DIRECCI\xD3N           1",
      " EL GL DE LA REACCION           1 ES:           3",
      " NODO:           1",
      " PERFIL ASIGNADO AL NODO:           1",
      " ESTRATOS DEL PERFIL:           2",
      " Z1 ORIGINAL:   1.000000    ",
      " PROF=   2.000000    ",
      " Df=   1.000000    ",
      " Z1 AJUSTADO:  0.5000000    ",
      " antes de llamar a bousi",
      "    0.0000    0.0000    0.5000   -1.0000   -0.2500    1.0000    0.2500",
      row(1),
      "            1           1SUM_AINF=  0.4974261    ",
      " Z1 ORIGINAL:   3.500000    ",
      " PROF=   5.000000    ",
      " Df=   1.000000    ",
      " Z1 AJUSTADO:   2.500000    ",
      " antes de llamar a bousi",
      "    0.0000    0.0000    2.5000   -1.0000   -0.2500    1.0000    0.2500",
      row(2),
      "            1           2SUM_AINF=  0.6713560E-01",
  };
  EXPECT_EQ(lines(f.mem), mem);
}

TEST(SoilLogs, FlexibilityOfOneReaction) {
  Model m;
  Files f;
  soiltest::foundation(m, 1, 2.0f, {2.0f, 3.0f});  // stratum 1 at the foundation level: no contribution
  for (auto* t : {&m.IX, &m.IY, &m.IZ}) t->size_to(1, 2, 1, 1);
  m.IZ(1, 2, 1, 1) = 0.25f;
  m.IX(1, 2, 1, 1) = 0.5f;
  m.E2(1, 2) = 1000.0f;
  m.NU2(1, 2) = 0.5f;
  korvant::FLSC(m, f.log, m.E2, m.NU2, 3);
  // SUMA = 2 * 0.001 * 3 * (0.25 - 0.5*0.5) / 1 = 0.
  const std::vector<std::string> mem = {
      " FORMANDO MATRIZ DE FLEXIBILIDADES",
      " nflag1=           3",
      " I=           1NREAC(I)=           3",
      " NODO=           1 PERFIL           1",
      " posicion            3",
      " DO J           1",
      " AREA DE REACCION=   1.000000    ",
      " LONGITUD DE REACCION=   2.000000    ",
      " en flsc, ESTRATO=           1 DF(NODO)=   2.000000    PROF ESTRATO=   2.000000    ",
      " en flsc, ESTRATO=           2 DF(NODO)=   2.000000    PROF ESTRATO=   5.000000    ",
      " AMZ(KP,J)=  0.1000000E-02",
      "  0.001000  3.000000  0.250000  0.000000  2.000000  1.000000    2",
      " AINF           1           1           2   0.000000    ",
      " SUMA=   0.000000    ",
      " almacenando para nudo y reacci\xF3n           1           1",
      " MATRIZ DE FLEXIBILIDADES",
      "          0.00000000",
  };
  EXPECT_EQ(lines(f.mem), mem);

  f.mem.buf().clear();
  m.Emt(1, 2) = 100.0f;
  korvant::FLSC_4(m, f.log);  // no time: nothing settles
  const auto l4 = lines(f.mem);
  ASSERT_EQ(l4.size(), 15u);
  EXPECT_EQ(l4[1], " I=           1NREAC(I)=           3");
  EXPECT_EQ(l4[7], " en flsc_4, ESTRATO=           1 DF(NODO)=   2.000000    PROF ESTRATO=   2.000000    ");
  EXPECT_EQ(l4[9], "  0.010000  3.000000  0.250000  0.000000  2.000000  1.000000    2");
  EXPECT_EQ(l4[10], " AINF           1           1           2  0.2500000    ");
  EXPECT_EQ(l4[11], " SUMA=   0.000000    ");
}

TEST(SoilLogs, FootingRigidities) {
  Model m;
  Files f;
  soiltest::foundation(m, 0, 0.0f, {2.0f, 3.0f});
  m.NN = 2;
  m.PERFCIM.size_to(2, 1);
  m.DF.size_to(2);
  m.DF(2) = 2.0f;
  m.MR = 1;
  m.NREACN.size_to(1);
  m.NREACN(1) = 9;
  m.NZAP = 1;
  m.ANCHO.size_to(1, 2.0f);
  m.LARGO.size_to(1, 1.5f);
  m.NODZAP.size_to(1, 2);
  m.E2(1, 2) = 1000.0f;
  m.NU2(1, 1) = 0.35f;
  korvant::footing_rigidities(m, f.log, m.E2, m.NU2);
  const auto l = lines(f.mem);
  const std::vector<std::string> head = {
      " FORMANDO MATRIZ DE FLEXIBILIDADES, ZAPATAS AISLADAS",
      " INVESTIGANDO REACCI\xD3N           1 GL=           9",
      " PERTENECE AL NODO           2",
      " LA ZAPATA           1 TIENE DIMENSIONES   2.000000       1.500000    ",
      " AREA DE LA ZAPATA   3.000000    ",
      " ESTRATO           1",
      "  2.000000  0.350000",
      " prof=   2.000000      df=   2.000000    ",
      " ESTRATO           2",
      "  3.000000  0.300000",
      " prof=   5.000000      df=   2.000000    ",
  };
  ASSERT_EQ(l.size(), head.size() + 6);
  EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 11), head);
  EXPECT_EQ(l[11].rfind(" RIGIDECES", 0), 0u);
  EXPECT_EQ(l[12].rfind(" SUMAS (INVERSOS):", 0), 0u);
  EXPECT_EQ(l[13], " almacenando para la reaccion           1");
  EXPECT_EQ(l[14], " SE TIENE UNA RIGIDEZ VERTICAL  GL=           3");
  EXPECT_EQ(l[15], " MATRIZ DE FLEXIBILIDADES, ZAPATAS CORRIDAS+AISLADAS");
  EXPECT_EQ(l[16].size(), 20u);
}

TEST(SoilLogs, FieldModuliReport) {
  Model m;
  Files f;
  soiltest::foundation(m, 1, 1.0f, {2.0f});
  m.E2(1, 1) = 500.0f;
  m.slab(1, 1) = 10.0f;
  m.PvCentro = 0.0f;  // no relief: the expansion stress is zero
  m.qmax = 10.0f;
  m.SUM_AINF.size_to(1, 1, 1.0f);
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  const std::vector<std::string> rep = {
      " Pv=   0.000000    ",
      " qneta=   10.00000    ",
      " M\xD3" "DULOS DE CAMPO CALCULADOS",
      " PARA EL NODO DE REACCI\xD3N           1",
      " Nodo=           1ESTRATO=           1Val inf=   1.000000    ",
      " s_lab=   10.00000    S_CPO=   0.000000    ",
      " s_lab=   10.00000    S_CPO=   10.00000    ",
      "            1           1   0.000000       0.000000    ",
      "            1           1   500.0000       500.0000    ",
      " M\xD3" "DULOS DE CAMPO, EXPANSI\xD3N",
      "         1",
      "      0.00",
      "",
      " M\xD3" "DULOS DE CAMPO, COMPRESI\xD3N INMEDIATA",
      "         1",
      "    500.00",
      " Los m\xF3" "dulos de campo a usar del nodo           1son:",
      " Perfil=           1",
      " Estrato=           1E elas=   0.000000    E comp=   500.0000    ",
  };
  EXPECT_EQ(lines(f.rep), rep);
  const auto mem = lines(f.mem);
  ASSERT_EQ(mem.size(), 10u);
  EXPECT_EQ(mem[3], " Kp=           0");
  EXPECT_EQ(mem[9], " S_CPO NO POSITIVO, SE CONSERVA EL MODULO DE LABORATORIO");

  Model none;  // no reaction points: an empty heading line and no rows
  Files g;
  soiltest::foundation(none, 0, 1.0f, {2.0f});
  korvant::field_moduli(none, g.log);
    write_field_moduli(none, g.rep, g.err);
  const auto r = lines(g.rep);
  ASSERT_EQ(r.size(), 11u);
  EXPECT_EQ(r[4], "");  // heading of no columns
  EXPECT_EQ(r[5], "");  // the empty line after the expansion table
  EXPECT_EQ(r[7], "");
  EXPECT_EQ(r[8], " Los m\xF3" "dulos de campo a usar del nodo           1son:");
}

}  // namespace
