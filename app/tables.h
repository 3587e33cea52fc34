// Setting up the process-wide tables before the game starts.
#pragma once

// Creates the world grid and the asset tables with every slot empty.
void CreateTables();
