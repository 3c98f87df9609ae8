#include "OriginalDevices.h"

#include <algorithm>

namespace
{
using K = OriginalKey;

// Function numbers as the makers' own remotes send them, where they are
// publicly known; the rest only have to stay apart within a device.
std::vector<OriginalDevice> table()
{
    return {
        {"NEC TV (NEC1 D=4)",
         "NEC1",
         {{"D", 4}},
         {{K::Power, 8},       {K::Mute, 9},    {K::Digit1, 17},  {K::Digit2, 18},    {K::Digit3, 19},
          {K::Digit4, 20},     {K::Digit5, 21}, {K::Digit6, 22},  {K::Digit7, 23},    {K::Digit8, 24},
          {K::Digit9, 25},     {K::Digit0, 16}, {K::VolumeUp, 2}, {K::VolumeDown, 3}, {K::ChannelUp, 0},
          {K::ChannelDown, 1}, {K::Menu, 67},   {K::Info, 170},   {K::Up, 64},        {K::Down, 65},
          {K::Left, 7},        {K::Right, 6},   {K::Ok, 68},      {K::Back, 40},      {K::Exit, 91},
          {K::Play, 176},      {K::Pause, 186}, {K::Stop, 177}}},
        {"Samsung TV (NECx1 D=7 S=7)",
         "NECx1",
         {{"D", 7}, {"S", 7}},
         {{K::Power, 2},        {K::Mute, 15},   {K::Digit1, 4},   {K::Digit2, 5},      {K::Digit3, 6},
          {K::Digit4, 8},       {K::Digit5, 9},  {K::Digit6, 10},  {K::Digit7, 12},     {K::Digit8, 13},
          {K::Digit9, 14},      {K::Digit0, 17}, {K::VolumeUp, 7}, {K::VolumeDown, 11}, {K::ChannelUp, 18},
          {K::ChannelDown, 16}, {K::Menu, 26},   {K::Info, 31},    {K::Up, 96},         {K::Down, 97},
          {K::Left, 101},       {K::Right, 98},  {K::Ok, 104},     {K::Back, 88},       {K::Exit, 45},
          {K::Play, 71},        {K::Pause, 74},  {K::Stop, 70}}},
        {"RC5 amplifier (RC5 D=16)",
         "RC5",
         {{"D", 16}},
         {{K::Power, 12},       {K::Mute, 13},  {K::Digit1, 1},    {K::Digit2, 2},      {K::Digit3, 3},
          {K::Digit4, 4},       {K::Digit5, 5}, {K::Digit6, 6},    {K::Digit7, 7},      {K::Digit8, 8},
          {K::Digit9, 9},       {K::Digit0, 0}, {K::VolumeUp, 16}, {K::VolumeDown, 17}, {K::ChannelUp, 32},
          {K::ChannelDown, 33}, {K::Menu, 82},  {K::Info, 15},     {K::Up, 80},         {K::Down, 81},
          {K::Left, 85},        {K::Right, 86}, {K::Ok, 87},       {K::Back, 34},       {K::Exit, 83},
          {K::Play, 53},        {K::Pause, 48}, {K::Stop, 54}}},
        {"Sony player (Sony12 D=26)",
         "Sony12",
         {{"D", 26}},
         {{K::Power, 21},       {K::Mute, 20},  {K::Digit1, 0},    {K::Digit2, 1},      {K::Digit3, 2},
          {K::Digit4, 3},       {K::Digit5, 4}, {K::Digit6, 5},    {K::Digit7, 6},      {K::Digit8, 7},
          {K::Digit9, 8},       {K::Digit0, 9}, {K::VolumeUp, 18}, {K::VolumeDown, 19}, {K::ChannelUp, 16},
          {K::ChannelDown, 17}, {K::Menu, 96},  {K::Info, 58},     {K::Up, 116},        {K::Down, 117},
          {K::Left, 52},        {K::Right, 51}, {K::Ok, 101},      {K::Back, 99},       {K::Exit, 100},
          {K::Play, 26},        {K::Pause, 25}, {K::Stop, 24}}},
        {"Panasonic TV (Panasonic D=128 S=0)",
         "Panasonic",
         {{"D", 128}, {"S", 0}},
         {{K::Power, 61},       {K::Mute, 50},   {K::Digit1, 16},   {K::Digit2, 17},     {K::Digit3, 18},
          {K::Digit4, 19},      {K::Digit5, 20}, {K::Digit6, 21},   {K::Digit7, 22},     {K::Digit8, 23},
          {K::Digit9, 24},      {K::Digit0, 25}, {K::VolumeUp, 32}, {K::VolumeDown, 33}, {K::ChannelUp, 52},
          {K::ChannelDown, 53}, {K::Menu, 6},    {K::Info, 57},     {K::Up, 74},         {K::Down, 75},
          {K::Left, 78},        {K::Right, 79},  {K::Ok, 73},       {K::Back, 43},       {K::Exit, 211},
          {K::Play, 144},       {K::Pause, 155}, {K::Stop, 152}}},
        {"JVC video recorder (JVC D=3)",
         "JVC",
         {{"D", 3}},
         {{K::Power, 23},       {K::Mute, 28},   {K::Digit1, 33},   {K::Digit2, 34},     {K::Digit3, 35},
          {K::Digit4, 36},      {K::Digit5, 37}, {K::Digit6, 38},   {K::Digit7, 39},     {K::Digit8, 40},
          {K::Digit9, 41},      {K::Digit0, 32}, {K::VolumeUp, 30}, {K::VolumeDown, 31}, {K::ChannelUp, 25},
          {K::ChannelDown, 24}, {K::Menu, 46},   {K::Info, 20},     {K::Up, 2},          {K::Down, 3},
          {K::Left, 4},         {K::Right, 5},   {K::Ok, 6},        {K::Back, 7},        {K::Exit, 8},
          {K::Play, 12},        {K::Pause, 13},  {K::Stop, 14}}},
        {"RC6 TV (RC6 D=0)",
         "RC6",
         {{"D", 0}},
         {{K::Power, 12},       {K::Mute, 13},  {K::Digit1, 1},    {K::Digit2, 2},      {K::Digit3, 3},
          {K::Digit4, 4},       {K::Digit5, 5}, {K::Digit6, 6},    {K::Digit7, 7},      {K::Digit8, 8},
          {K::Digit9, 9},       {K::Digit0, 0}, {K::VolumeUp, 16}, {K::VolumeDown, 17}, {K::ChannelUp, 32},
          {K::ChannelDown, 33}, {K::Menu, 84},  {K::Info, 15},     {K::Up, 88},         {K::Down, 89},
          {K::Left, 90},        {K::Right, 91}, {K::Ok, 92},       {K::Back, 10},       {K::Exit, 131},
          {K::Play, 44},        {K::Pause, 48}, {K::Stop, 49}}},
    };
}
}  // namespace

std::optional<int> OriginalDevice::function(OriginalKey key) const
{
    const auto found =
        std::find_if(functions.begin(), functions.end(), [key](const auto &f) { return f.first == key; });
    if (found == functions.end())
        return std::nullopt;
    return found->second;
}

const std::vector<OriginalDevice> &OriginalDevices::all()
{
    static const std::vector<OriginalDevice> devices = table();
    return devices;
}
