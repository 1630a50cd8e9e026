#include "inspect/layer_table.h"

#include <gtest/gtest.h>

#include "inspect_fixture.h"

namespace qarn::inspect {
namespace {

class LayerTableTest : public testing::InspectTest {
 protected:
  std::vector<std::string> texts(int row) const {
    std::vector<std::string> out;
    for (int c = kLayerOn; c <= kLayerPrint; ++c)
      out.push_back(table.text(c, row));
    return out;
  }
  cad::sim::Layer& layer(const std::string& name) { return *cad.drawing().findLayer(name); }
  LayerTable table;
};

TEST_F(LayerTableTest, FillShowsTheStatesOfTheLayersTheDrawingHas) {
  EXPECT_EQ(table.rows.size(), 9u);
  EXPECT_EQ(table.rows[0].name, "TOVEK_FRONT");
  EXPECT_EQ(table.rows[0].label, "正面");
  EXPECT_EQ(table.rows[8].label, "補助２/ CUT");
  doc.layers().add("TOVEK_FRONT");
  cad::Layer cut = doc.layers().add("TOVEK_CUT");
  cut.setFreeze(true);
  cut.setLock(true);
  cut.setPlottable(false);
  FillLayerTable(session, table);
  EXPECT_EQ(texts(1), (std::vector<std::string>{"ON", "OFF", "OFF", "ON"}));
  EXPECT_EQ(texts(2), (std::vector<std::string>{"ON", "ON", "ON", "OFF"}));
  EXPECT_EQ(texts(3), (std::vector<std::string>{"", "", "", ""})) << "TOVEK_SIDE is missing";
  EXPECT_EQ(table.rows[1].handle, layer("TOVEK_CUT").handle);
  EXPECT_EQ(table.text(kLayerName, 1), "");
}

// The fill reads layers only until all nine rows are matched.
TEST_F(LayerTableTest, FillStopsReadingOnceAllNineAreFound) {
  for (const auto& row : table.rows)
    doc.layers().add(row.name);
  for (int i = 0; i < 20; ++i)
    doc.layers().add("EXTRA" + std::to_string(i));
  cad.resetCounters();
  FillLayerTable(session, table);
  // Layer "0" and the nine: ten items read, none of the twenty after them.
  EXPECT_EQ(cad.callCount("Item"), 10);
  for (int r = 1; r <= 9; ++r)
    EXPECT_EQ(table.text(kLayerOn, r), "ON");
}

TEST_F(LayerTableTest, AClickOnAStateSwitchesTheLayerInTheDrawingAndRegenerates) {
  doc.layers().add("TOVEK_NAME");
  FillLayerTable(session, table);
  long regens = cad.callCount("Regen");
  ClickLayerCell(session, table, kLayerOn, 5);
  EXPECT_EQ(table.text(kLayerOn, 5), "OFF");
  EXPECT_FALSE(layer("TOVEK_NAME").on);
  EXPECT_EQ(cad.callCount("Regen"), regens + 2);
  ClickLayerCell(session, table, 4, 5);
  EXPECT_TRUE(layer("TOVEK_NAME").locked);
  ClickLayerCell(session, table, kLayerPrint, 5);
  EXPECT_FALSE(layer("TOVEK_NAME").plottable);
  ClickLayerCell(session, table, 3, 5);
  EXPECT_TRUE(layer("TOVEK_NAME").frozen);

  // The name and label columns and the header change nothing.
  ClickLayerCell(session, table, kLayerName, 5);
  ClickLayerCell(session, table, kLayerLabel, 5);
  ClickLayerCell(session, table, kLayerOn, 0);
  EXPECT_EQ(texts(5), (std::vector<std::string>{"OFF", "ON", "ON", "OFF"}));
  // A row whose layer is missing changes only the grid.
  ClickLayerCell(session, table, kLayerOn, 1);
  EXPECT_TRUE(table.rows[0].states[0]);
  EXPECT_EQ(table.text(kLayerOn, 1), "");
}

TEST_F(LayerTableTest, TheSpaceBarWritesEveryToggledRow) {
  for (const char* n : {"TOVEK_TYPE", "TOVEK_SPEC", "TOVEK_AUX1"})
    doc.layers().add(n);
  FillLayerTable(session, table);
  SpaceOverLayers(session, table, kLayerOn, 6, 8);
  for (const char* n : {"TOVEK_TYPE", "TOVEK_SPEC", "TOVEK_AUX1"})
    EXPECT_FALSE(layer(n).on) << n;
  EXPECT_EQ(texts(7)[0], "OFF");
  // A selection starting on the label column is no toggle.
  SpaceOverLayers(session, table, kLayerLabel, 6, 8);
  EXPECT_FALSE(layer("TOVEK_TYPE").on);
}

TEST_F(LayerTableTest, AStaleHandleIsNeverUsedOnAnotherLayer) {
  doc.layers().add("TOVEK_FRONT");
  FillLayerTable(session, table);
  ASSERT_FALSE(table.rows[0].handle.empty());
  // Another drawing where the same handle is another layer: the fill there forgets the old one.
  cad.addDocument();
  cad::Document second = app.activeDocument();
  cad::Layer other = second.layers().add("OTHER");
  FillLayerTable(session, table);
  EXPECT_EQ(table.rows[0].handle, "");
  EXPECT_EQ(table.text(kLayerOn, 1), "");

  // A layer renamed since the fill is refused by name, and the row forgets its handle.
  cad::Layer front = second.layers().add("TOVEK_FRONT");
  FillLayerTable(session, table);
  cad.drawing().findLayer("TOVEK_FRONT")->name = "RENAMED";
  EXPECT_THROW(ClickLayerCell(session, table, kLayerOn, 1), std::runtime_error);
  EXPECT_TRUE(cad.drawing().findLayer("RENAMED")->on);
  EXPECT_EQ(table.rows[0].handle, "");
  (void)other;
  (void)front;
}

TEST_F(LayerTableTest, NothingHappensWhileTheCadIsNotRunning) {
  doc.layers().add("TOVEK_FRONT");
  cad.unregister();
  FillLayerTable(session, table);
  EXPECT_EQ(table.text(kLayerOn, 1), "");
  ClickLayerCell(session, table, kLayerOn, 1);
  EXPECT_TRUE(layer("TOVEK_FRONT").on);
}

}  // namespace
}  // namespace qarn::inspect
