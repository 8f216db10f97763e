#pragma once

class ImageList;

// The button pictures, drawn by the program itself, in the image lists the windows take them
// from. Each list is built once and lives as long as the process, so a window can use another
// window's list while that window is closed (the chart's Back button uses the start-up list).
namespace ButtonImages {

const ImageList &StartupImg2(); // the start-up window's IMG2: 14 pictures
const ImageList &StartupImg();  // the start-up window's IMG: 40 pictures
const ImageList &ChartImg();    // the chart window's IMG: 16 pictures
const ImageList &AboutImg();    // the About window's IMG: 2 pictures

} // namespace ButtonImages
