#include "report/page_style.h"

namespace page_style {

// Written as the text of the style element, where the writer's escapes would
// not be undone: so no angle brackets, ampersands or quotes in here.
const char styleSheet[] = R"(
:root { --ink: #1d2733; --muted: #5d6977; --rule: #d8dee5; --soft: #f4f6f9; --accent: #2f5d8a;
  --r0: #dde7f1; --r1: #a9c3dc; --r2: #5f8fbf; --r3: #24507c; }
* { box-sizing: border-box; }
body { margin: 0; color: var(--ink); background: #fff; font: 15px/1.45 Liberation Sans, Arial, Helvetica, sans-serif; }
main { max-width: 74rem; margin: 0 auto; padding: 2rem 2.5rem 3rem; }
header.top { border-bottom: 3px solid var(--accent); padding-bottom: .7rem; margin-bottom: 1rem; }
h1 { font-size: 1.8rem; margin: 0 0 .25rem; }
h1 a { color: var(--accent); text-decoration: none; }
.lede { margin: 0; color: var(--muted); font-size: 1.05rem; }
.notice { background: #fff5e6; border-left: 4px solid #d9822b; padding: .55rem .9rem; margin: 1rem 0; }
nav.contents { font-size: .9rem; margin: .8rem 0 0; }
nav.contents a { color: var(--accent); text-decoration: none; margin-right: 1.2rem; white-space: nowrap; }
h2 { font-size: 1.35rem; margin: 2.2rem 0 .7rem; padding-bottom: .25rem; border-bottom: 1px solid var(--rule); }
h1 .sub, h2 .sub { font-weight: normal; color: var(--muted); font-size: .95rem; margin-left: .6rem; white-space: pre-wrap; }
table { border-collapse: collapse; width: 100%; }
th { text-align: left; font-size: .75rem; text-transform: uppercase; letter-spacing: .05em; color: var(--muted);
  font-weight: bold; border-bottom: 2px solid var(--rule); padding: .35rem .55rem; }
td { border-bottom: 1px solid var(--rule); padding: .4rem .55rem; vertical-align: top; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
.file, .who { font-family: Liberation Mono, DejaVu Sans Mono, monospace; font-size: .82rem; white-space: nowrap; }
.time { white-space: nowrap; font-variant-numeric: tabular-nums; color: var(--muted); font-size: .85rem; }
td.task { width: 11rem; }
.bar { display: block; margin-top: .25rem; height: 10px; border-radius: 2px; background: #e7ecf1;
  -webkit-print-color-adjust: exact; print-color-adjust: exact; }
.bar span { display: block; height: 100%; border-radius: 2px; background: var(--accent); }
.pagelink { margin: 0 0 .6rem; color: var(--muted); font-size: .9rem; }
.pagelink a, .flags a, nav.contents a { color: var(--accent); }
.gridwrap { overflow-x: auto; }
/* A long table comes in parts that the browser lays out only when in view;
   fixed column widths keep the parts in line. */
.part { content-visibility: auto; contain-intrinsic-size: auto 60rem; }
table.grid { table-layout: fixed; border-collapse: collapse; }
table.grid col.who { width: 12rem; }
table.grid col.cell { width: 3rem; }
table.grid col.done { width: 4rem; }
table.grid td { white-space: normal; }
table.grid td:empty { background: repeating-linear-gradient(135deg, #fff 0 3px, #f1f3f6 3px 6px); }
table.overview { table-layout: fixed; }
table.overview col.who { width: 9rem; }
table.overview col.what { width: auto; }
table.overview col.count { width: 5.5rem; }
table.overview col.stamp { width: 10.5rem; }
table.overview col.task { width: 9rem; }
table.overview col.share { width: 6.5rem; }
.names a { margin-left: .5rem; color: var(--accent); }
.partner { font-size: .88rem; }
.partner a { color: var(--accent); }
.lede .step { margin-left: 1rem; color: var(--accent); font-size: .9rem; }
col.pair { width: 28%; }
col.text { width: auto; }
ol.items .count { color: var(--muted); font-size: .85rem; }
table.grid th, table.grid td { border: 1px solid var(--rule); padding: 2px 3px; text-align: center; vertical-align: middle;
  white-space: nowrap; text-transform: none; letter-spacing: 0; font-size: .78rem; }
table.grid tbody th { text-align: left; font-family: Liberation Mono, DejaVu Sans Mono, monospace; font-weight: normal;
  color: var(--ink); max-width: 14rem; overflow: hidden; text-overflow: ellipsis; }
table.grid thead a { color: var(--muted); text-decoration: none; }
table.grid .chip { min-width: 1.5em; font-size: .75rem; padding: 0 .25em; }
a.chip { text-decoration: none; color: var(--ink); }
.explain { color: var(--muted); font-size: .85rem; }
.legend { color: var(--muted); font-size: .8rem; margin: .3rem 0 .8rem; }
.calibration { display: flex; flex-wrap: wrap; gap: .5rem 2rem; align-items: flex-start; }
.calibration h3 { flex-basis: 100%; font-size: 1.02rem; margin: .6rem 0 0; }
table.matrix { width: auto; }
table.matrix caption { caption-side: bottom; color: var(--muted); font-size: .8rem; text-align: left; padding-top: .3rem; max-width: 16rem; }
table.matrix td, table.matrix th { padding: .2rem .6rem; }
table.matrix td.flag { background: #fbe3d0; -webkit-print-color-adjust: exact; print-color-adjust: exact; }
.flagged { flex: 1; min-width: 18rem; font-size: .9rem; }
.flagged p { margin: .2rem 0 .4rem; }
.flags { margin: 0; padding-left: 1.3rem; }
.flags .caption { color: var(--muted); }
.warn { color: #a04d00; font-weight: bold; }
td.files { font-size: .85rem; overflow-wrap: anywhere; }
nav.contents .here { margin-right: 1.2rem; font-weight: bold; white-space: nowrap; }
details.long summary { cursor: pointer; list-style-position: outside; }
details.long summary .response { display: block; }
details.long[open] summary .response { display: none; }
details.long .more { color: var(--accent); font-size: .85rem; }
.item { margin: 1.4rem 0 2rem; }
/* Off-screen parts of a long page are laid out only when scrolled to. */
section, .item { content-visibility: auto; contain-intrinsic-size: auto 40rem; }
.item h3 { font-size: 1.02rem; margin: 0 0 .4rem; }
.item h3 .count { font-weight: normal; color: var(--muted); font-size: .9rem; margin-left: .6rem; }
.itemtext { white-space: pre-wrap; overflow-wrap: anywhere; background: var(--soft); border: 1px solid var(--rule);
  border-radius: 4px; padding: .55rem .8rem; font-size: .88rem; max-height: 12rem; overflow: auto; margin: 0 0 .6rem; }
.noitem { color: var(--muted); font-style: italic; }
.spread { display: flex; align-items: flex-end; gap: 1rem; margin: .3rem 0 .4rem; color: var(--muted); font-size: .85rem; }
.spread span { padding-bottom: .9rem; }
.spread svg { display: block; }
.response { white-space: pre-wrap; overflow-wrap: anywhere; }
table.answers, table.fixed { table-layout: fixed; }
col.student { width: 13rem; }
col.when { width: 7rem; }
col.rating { width: 4.5rem; }
td.rating { overflow: hidden; }
.when span { display: block; }
.when .day { font-size: .78rem; }
col.line { width: 5rem; }
table.answers .file, table.fixed .file { white-space: normal; overflow-wrap: break-word; }
.chip { display: inline-block; min-width: 1.9em; max-width: 100%; overflow-wrap: anywhere; text-align: center; border-radius: 1em;
  padding: 0 .5em; font-weight: bold; font-size: .85rem; background: #eceff3; border: 1px solid #c7cfd8;
  -webkit-print-color-adjust: exact; print-color-adjust: exact; }
.chip.sc { border-radius: 3px; }
.chip.note { background: #fff; color: #6b4c8a; border-color: #b9a5cf; }
.chip.r0 { background: var(--r0); border-color: var(--r0); }
.chip.r1 { background: var(--r1); border-color: var(--r1); }
.chip.r2, a.chip.r2 { background: var(--r2); border-color: var(--r2); color: #fff; }
.chip.r3, a.chip.r3 { background: var(--r3); border-color: var(--r3); color: #fff; }
.tag { font-size: .7rem; text-transform: uppercase; letter-spacing: .06em; color: #6b4c8a; border: 1px solid #b9a5cf;
  border-radius: 3px; padding: 0 .35em; }
.cut { display: block; color: #a04d00; font-size: .8rem; font-style: italic; margin-top: .2rem; }
.excerpt { font-family: Liberation Mono, DejaVu Sans Mono, monospace; font-size: .8rem; background: var(--soft);
  white-space: pre-wrap; overflow-wrap: anywhere; }
footer { margin-top: 3rem; color: var(--muted); font-size: .8rem; border-top: 1px solid var(--rule); padding-top: .6rem; }
@page { margin: 14mm 12mm; }
@media print {
  body { font-size: 10pt; }
  main { max-width: none; padding: 0; }
  nav.contents { display: none; }
  section.assignment { break-before: page; }
  tr, .spread, .calibration { break-inside: avoid; }
  .gridwrap { overflow: visible; }
  details::details-content { content-visibility: visible; display: block; }
  details.long summary { display: none; }
  .item h3, .itemtext, .spread { break-after: avoid; }
  .itemtext { max-height: none; overflow: visible; }
  col.student { width: 9.5rem; }
  col.rating { width: 3.5rem; }
  td.task { width: 7rem; }
  a { color: inherit; text-decoration: none; }
}
)";

}  // namespace page_style
