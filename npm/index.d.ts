// quenby-toc: the table of contents of an HTML page, made or remade in place.

/** The command line's long options, in camelCase. */
export interface TocOptions {
  /** Heading levels taken: "2-3", "2" or 2 (default 1-6). */
  levels?: string | number;
  /** An <a name> inside each heading (classic's), or an id in its start tag (the other styles'). */
  anchors?: 'name' | 'id';
  /** New anchor names from the stamp (classic's), or readable ones from the heading's text (the other styles'). */
  names?: 'stamp' | 'slug';
  /** Headings of these classes are left out. */
  skipClass?: string | string[];
  /** Only headings inside the first element this selects: a tag name ("main"), "#id" or ".class". */
  within?: string;
  /** "html5" (default for a page without a TOC), "ol", "details", "classic", or a style file's text.
   *  A page with a TOC keeps the settings its block records unless given here. */
  style?: string;
  /** The name a style file's text goes by (default "style"): the block records it, as the
   *  command line records a style file's path, and a page's TOC comment may name it. */
  styleName?: string;
  /** Number the headings and their entries: 1., 1.1., ...; false takes such numbers out. */
  number?: boolean;
  /** The run's stamp in seconds, for new anchor names (default: SOURCE_DATE_EPOCH in Node, else now). */
  stamp?: number | string;
  /** Pages larger than this many bytes are refused (default 67108864). */
  maxSize?: number;
}

export interface TocEntry {
  level: number;
  /** The heading's text as the TOC writes it (HTML). */
  text: string;
  /** "#" and the heading's anchor name. */
  href: string;
  /** The entry's number ("1.2.") where the entries are numbered, else "". */
  number: string;
}

export interface TocResult<T extends string | Uint8Array> {
  /** The new page: the input's bytes, but for the TOC block and the headings' anchors.
   *  A string for a string; a Uint8Array (never a Buffer) for bytes. */
  output: T extends string ? string : Uint8Array;
  /** Whether output differs from the input. */
  changed: boolean;
  /** The page's <title>, white space collapsed; "" where it has none. */
  title: string;
  /** The TOC's entries in their order. */
  entries: TocEntry[];
}

/** A bad option or style, or a bad setting in the page's TOC comment. */
export class QuenbyError extends Error {
  /** The line of the page (or of the style text) to blame, or null. */
  line: number | null;
}

export function makeToc<T extends string | Uint8Array>(input: T, options?: TocOptions): TocResult<T>;
/** Takes out the TOC block and the anchors, ids and numbers it made. */
export function removeToc<T extends string | Uint8Array>(input: T, options?: TocOptions): TocResult<T>;
