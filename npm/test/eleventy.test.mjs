// makeToc as an Eleventy 3 transform: a small site is built, and every page's
// TOC lists its headings and links to their anchors.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import Eleventy from '@11ty/eleventy';
import { scratch } from './support.mjs';

const pages = {
  'index.md': '---\ntitle: Home\n---\n<!-- toc -->\n\n# Welcome\n\n## Getting there\n\n## Staying\n',
  'notes/trees.html': '<html><head><title>Trees</title></head><body>\n<h1>Apple</h1>\n<h2 class="notoc">Aside</h2>\n' +
                      '<h2>Pear &amp; quince</h2>\n</body></html>\n',
};

test('an Eleventy site whose pages pass through makeToc', async () => {
  const site = scratch('eleventy');
  for (const [name, text] of Object.entries(pages)) {
    mkdirSync(join(site, 'src', name, '..'), { recursive: true });
    writeFileSync(join(site, 'src', name), text);
  }
  const config = join(site, 'eleventy.config.mjs');
  writeFileSync(config, `import { makeToc } from ${JSON.stringify(new URL('../index.mjs', import.meta.url).href)};
export default function (eleventyConfig) {
  eleventyConfig.addTransform('toc', (content, outputPath) =>
    outputPath && outputPath.endsWith('.html')
      ? makeToc(content, { style: 'html5', names: 'slug', skipClass: 'notoc', stamp: 1 }).output
      : content);
}
`);
  const eleventy = new Eleventy(join(site, 'src'), join(site, '_site'), { configPath: config, quietMode: true });
  await eleventy.write();

  const expected = { 'index.html': ['Welcome', 'Getting there', 'Staying'],
                     'notes/trees/index.html': ['Apple', 'Pear &amp; quince'] };
  for (const [file, headings] of Object.entries(expected)) {
    const html = readFileSync(join(site, '_site', file), 'utf8');
    const block = html.match(/<!--KRYN_HTML_TOC_START-->([^]*)<!--KRYN_HTML_TOC_END-->/);
    assert.ok(block, `${file} has no TOC`);
    const links = [...block[1].matchAll(/<a href="#([^"]+)"[^>]*>([^<]*)<\/a>/g)];
    assert.deepEqual(links.map((link) => link[2]), headings, file);
    for (const [, anchor] of links) assert.match(html, new RegExp(`<h\\d id="${anchor}"`), `${file}: #${anchor}`);
  }
});
