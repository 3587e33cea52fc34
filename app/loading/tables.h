// Setting up a game before it starts.
#pragma once

// A fresh game: the world grid all zero, the asset tables with every slot empty.
void CreateTables();
