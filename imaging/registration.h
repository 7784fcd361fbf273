#pragma once
// Start-up and shut-down of the picture library: the bitmap picture unit first, then the file
// formats, so that the library's classes win the extensions they register.
void InitializeImaging();
void FinalizeImaging();
