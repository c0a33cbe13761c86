// quenby-toc for Node: the engine is loaded once, here, and makeToc and
// removeToc are then plain synchronous calls.
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const createQuenbyEngine = require('./dist/quenby_engine.js');
const { load } = require('./lib/quenby_api.js');

const { makeToc, removeToc, QuenbyError } = await load(createQuenbyEngine);

export { makeToc, removeToc, QuenbyError };
